// The reader program's command line, built from the component's folder and
// the import's parameters, and split back into arguments.
#include <gtest/gtest.h>

#include "readerprog/ReaderCommandLine.h"

#include "base/Errors.h"
#include "tests/support/ErrorOf.h"

namespace viruzedi {
namespace {

ReaderProgramParameters Defaults(std::string file) {
  ReaderProgramParameters parameters;
  parameters.PercorsoFile = std::move(file);
  return parameters;
}

TEST(ReaderCommandLine, FolderGetsItsSeparatorOnlyWhenItLacksOne) {
  struct Case {
    const char* folder;
    char separator;
    const char* expected;
  } cases[] = {
      {"C:\\", '\\', "C:\\"},
      {"C:\\Lettori", '\\', "C:\\Lettori\\"},
      {"C:\\Lettori\\", '\\', "C:\\Lettori\\"},
      {"C:\\Programmi Lettori", '\\', "C:\\Programmi Lettori\\"},
      {"/", '/', "/"},
      {"/opt/viruzedi", '/', "/opt/viruzedi/"},
      {"/opt/viruzedi/", '/', "/opt/viruzedi/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderWithSeparator(c.folder, c.separator), c.expected) << c.folder;
  }
}

TEST(ReaderCommandLine, ProgramAndReaderFileAreQuotedOnlyWhenTheyHoldABlank) {
  struct Case {
    const char* folder;
    const char* file;
    const char* expected;
  } cases[] = {
      {"C:\\Lettori\\", "C:\\Dati\\letture.txt",
       "C:\\Lettori\\DO_Duri.exe C:\\Dati\\letture.txt,1,1,1,1,1,0,0,0,0,10"},
      {"C:\\", "C:\\Dati\\l.txt", "C:\\DO_Duri.exe C:\\Dati\\l.txt,1,1,1,1,1,0,0,0,0,10"},
      {"C:\\Programmi Lettori\\", "C:\\Dati\\l.txt",
       "\"C:\\Programmi Lettori\\DO_Duri.exe\" C:\\Dati\\l.txt,1,1,1,1,1,0,0,0,0,10"},
      {"C:\\Lettori\\", "C:\\Dati letture\\l.txt",
       "C:\\Lettori\\DO_Duri.exe \"C:\\Dati letture\\l.txt\",1,1,1,1,1,0,0,0,0,10"},
      {"/opt/viruzedi/", "/tmp/letture.txt",
       "/opt/viruzedi/DO_Duri.exe /tmp/letture.txt,1,1,1,1,1,0,0,0,0,10"},
      {"/home/anna/Lettori Magazzino/", "/home/anna/le letture.txt",
       "\"/home/anna/Lettori Magazzino/DO_Duri.exe\" \"/home/anna/le letture.txt\","
       "1,1,1,1,1,0,0,0,0,10"},
      // A comma in the path is not protected; a tab separates like a space.
      {"/opt/v/", "/tmp/a,bc.txt", "/opt/v/DO_Duri.exe /tmp/a,bc.txt,1,1,1,1,1,0,0,0,0,10"},
      {"/opt/v\t1/", "/tmp/a\tb.txt",
       "\"/opt/v\t1/DO_Duri.exe\" \"/tmp/a\tb.txt\",1,1,1,1,1,0,0,0,0,10"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReaderProgramCommandLine(c.folder, Defaults(c.file)), c.expected) << c.file;
  }
}

// A double quote cannot be carried through the splitter: "/tmp/a"b c" would
// reach the program as /tmp/ab and c, another file.
TEST(ReaderCommandLine, APathHoldingADoubleQuoteIsRefused) {
  struct Case {
    const char* folder;
    const char* file;
  } cases[] = {{"/opt/v/", "/tmp/a\"b c.txt"}, {"/opt/\"v/", "/tmp/l.txt"}};
  for (const Case& c : cases) {
    EXPECT_EQ(testing::ErrorOf([&] { ReaderProgramCommandLine(c.folder, Defaults(c.file)); }),
              kInvalidArgument)
        << c.folder << c.file;
  }
}

TEST(ReaderCommandLine, ParametersStandInTheirPositions) {
  ReaderProgramParameters p = Defaults("/tmp/l.txt");
  p.PortaCOM = 12;
  p.Baud = 3;
  p.ModFile = 2;
  p.CR = false;
  p.LF = true;
  p.MostraErrore = true;
  p.MostraFile = false;
  p.MostraMaschera = true;
  p.Timeout = -1;
  EXPECT_EQ(ReaderProgramCommandLine("/b/", p), "/b/DO_Duri.exe /tmp/l.txt,12,3,2,0,1,1,0,1,0,-1");

  // Values outside the enumerations pass unchecked; the extremes of Timeout.
  p = Defaults("/tmp/l.txt");
  p.PortaCOM = 0;
  p.Baud = -7;
  p.ModFile = 2147483647;
  p.Timeout = -32768;
  EXPECT_EQ(ReaderProgramCommandLine("/b/", p),
            "/b/DO_Duri.exe /tmp/l.txt,0,-7,2147483647,1,1,0,0,0,0,-32768");
  p.Timeout = 32767;
  EXPECT_EQ(ReaderProgramCommandLine("/b/", p),
            "/b/DO_Duri.exe /tmp/l.txt,0,-7,2147483647,1,1,0,0,0,0,32767");
}

TEST(ReaderCommandLine, SplitsByTheRulesOfTheSystemItWasWrittenFor) {
  using Arguments = std::vector<std::string>;
  struct Case {
    const char* line;
    Arguments expected;
  } cases[] = {
      {"C:\\Lettori\\DO_Duri.exe C:\\Dati\\l.txt,1,1",
       {"C:\\Lettori\\DO_Duri.exe", "C:\\Dati\\l.txt,1,1"}},
      {"\"C:\\Programmi Lettori\\DO_Duri.exe\" \"C:\\Dati letture\\l.txt\",1,1",
       {"C:\\Programmi Lettori\\DO_Duri.exe", "C:\\Dati letture\\l.txt,1,1"}},
      // Backslashes are plain, also before a quote.
      {"\"C:\\\" x", {"C:\\", "x"}},
      {"a\\\\b \\\"c d\"", {"a\\\\b", "\\c d"}},
      {"  a \t b  ", {"a", "b"}},
      {"a \"\" b", {"a", "", "b"}},
      {"x\"y z\"w", {"xy zw"}},
      {"\"unclosed quote", {"unclosed quote"}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
  }
}

TEST(ReaderCommandLine, LinuxPathsWithBlanksSurviveTheRoundTrip) {
  struct Case {
    const char* folder;
    const char* file;
  } cases[] = {
      {"/home/anna/Lettori Magazzino/", "/home/anna/le letture.txt"},
      // A tab is a blank to the splitter: unquoted, the reader program would
      // be told to write a file named by the part before it.
      {"/opt/v\t1/", "/tmp/a\tb.txt"},
      {"/opt/v/", "/tmp/\t"},
  };
  for (const Case& c : cases) {
    std::string line = ReaderProgramCommandLine(c.folder, Defaults(c.file));
    EXPECT_EQ(SplitCommandLine(line),
              (std::vector<std::string>{std::string(c.folder) + "DO_Duri.exe",
                                        std::string(c.file) + ",1,1,1,1,1,0,0,0,0,10"}))
        << line;
  }
}

}  // namespace
}  // namespace viruzedi
