// Files no terminal should send — NUL bytes, bytes the code page leaves
// undefined, lone CRs, lines of a megabyte and more, entries that are no
// file at all: correct rows or a clear error, nothing lost, no hang, the
// memory a line may take bounded.
#include <gtest/gtest.h>

#include <filesystem>

#include "operation/Messages.h"
#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "tests/support/ErrorOf.h"
#include "tests/terminal/FaultFixture.h"

namespace viruzedi::testing {
namespace {

using namespace std::string_literals;

const char kTemporaryName[] = "MovMag_20261206-093015.tmp";
const char kArchiveName[] = "MovMag_20261206-100207.TMP";

struct HostileCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> rows;  // hex(Codart)|IdLotto|Quantità
  std::vector<std::string> captions;
};

class HostileFileTest : public FaultTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileFileTest, GivesCorrectRowsOrAClearErrorAndLosesNothing) {
  const HostileCase& c = GetParam();
  PutTerminalBytes(1, c.bytes);

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(Rows("SELECT hex(Codart), IdLotto, Quantità FROM Viruzedi"), c.rows);
  EXPECT_EQ(Captions(), c.captions);
  // A file that ended in an error keeps its temporary name, byte for byte.
  bool failed = !c.captions.empty() && c.captions.back() != kTitoloAttenzione;
  const std::string kept = failed ? kTemporaryName : kArchiveName;
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{kept});
  EXPECT_EQ(ReadFile(letture + "/" + kept), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileFileTest,
    ::testing::Values(
        HostileCase{"NulInsideTheCodeIsKept", "A\0B$1;1;20261206;1\r\n"s, {"410042|1|1.0"}, {}},
        HostileCase{"NulInANumberIsTypeMismatch",
                    "A$1;1;20261206;1\r\nC$2;2\0;20261206;2\r\nD$3;3;20261206;3\r\n"s,
                    {},
                    {"13"}},
        HostileCase{"ALineOfNulsIsABadCode",
                    "\0\0\0\r\nA$1;1;20261206;1\r\n"s,
                    {"41|1|1.0"},
                    {kTitoloAttenzione}},
        // The five undefined bytes become the control characters of the
        // same number, the others their characters: every byte is kept.
        HostileCase{"BytesTheCodePageLeavesUndefinedAreKept",
                    "X\x81\x8D\x8F\x90\x9D$1;1;20261206;1\r\n\x80\xFF$2;2;20261206;2\r\n",
                    {"58C281C28DC28FC290C29D|1|1.0", "E282ACC3BF|2|2.0"},
                    {}},
        HostileCase{"LoneCrsEndLines",
                    "A$1;1;20261206;1\rB$2;2;20261206;2\rC$3;3;20261206;3",
                    {"41|1|1.0", "42|2|2.0", "43|3|3.0"},
                    {}},
        HostileCase{"AFileOfLoneCrsIsBlankLines", "\r\r\r\r", {}, {}},
        HostileCase{"CrCrLfIsALineAndABlankOne",
                    "A$1;1;20261206;1\r\r\nB$2;2;20261206;2\r\n",
                    {"41|1|1.0", "42|2|2.0"},
                    {}},
        // Only spaces make a blank line: a tab is a code, and a bad one.
        HostileCase{"ALineOfSpacesAndATabIsABadCode",
                    "A$1;1;20261206;1\r\n \t \r\n",
                    {"41|1|1.0"},
                    {kTitoloAttenzione}}),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

enum class NotAFile { kFolder, kPipe, kLinkToNothing };

struct NotAFileCase {
  const char* name;
  NotAFile kind;
  bool downloadFolderElsewhere;  // on another file system: a copy, not a rename
};

class NotAFileTest : public FaultTest, public ::testing::WithParamInterface<NotAFileCase> {};

// Before, a folder was moved into the download folder as if received and
// the download ended as a success; across file systems a pipe held the
// download for ever.
TEST_P(NotAFileTest, IsRefusedAndLeftWithTheTerminal) {
  OtherFileSystemFolder elsewhere;
  if (GetParam().downloadFolderElsewhere) {
    if (elsewhere.path().empty()) GTEST_SKIP() << "no /dev/shm";
    letture = elsewhere.path() + "/_Letture";
    platform->downloadFolder = letture;
  }
  const std::string entry = terminale + "/1.txt";
  switch (GetParam().kind) {
    case NotAFile::kFolder:
      std::filesystem::create_directory(entry);
      break;
    case NotAFile::kPipe:
      ASSERT_EQ(RunProcess({"mkfifo", entry}), 0);
      break;
    case NotAFile::kLinkToNothing:
      std::filesystem::create_symlink(terminale + "/nulla", entry);
      break;
  }
  const std::filesystem::file_type type = std::filesystem::symlink_status(entry).type();

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(Captions(), std::vector<std::string>{"75"});
  EXPECT_EQ(std::filesystem::symlink_status(entry).type(), type);
  EXPECT_TRUE(FolderNames(letture).empty());
  EXPECT_TRUE(Movements().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, NotAFileTest,
    ::testing::Values(NotAFileCase{"Folder", NotAFile::kFolder, false},
                      NotAFileCase{"Pipe", NotAFile::kPipe, false},
                      NotAFileCase{"LinkToNothing", NotAFile::kLinkToNothing, false},
                      NotAFileCase{"FolderAcrossFileSystems", NotAFile::kFolder, true},
                      NotAFileCase{"PipeAcrossFileSystems", NotAFile::kPipe, true}),
    [](const ::testing::TestParamInfo<NotAFileCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(FaultTest, ALineOfAMegabyteIsStoredWhole) {
  const std::string code(1024 * 1024, 'X');
  PutTerminalBytes(1, code + "$5;2;20261206;3\r\nY$6;1;20261206;1;" + code + "\r\n");

  Run(&Viruzedi::Scarica4);

  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_EQ(Rows("SELECT length(Codart), ltrim(Codart, 'X'), IdLotto FROM Viruzedi"),
            (std::vector<std::string>{"1048576||5", "1|Y|6"}));
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{kArchiveName});
}

// A damaged file that runs on without a line end must not take the host's
// memory: the line is refused once it passes the limit.
TEST_F(FaultTest, ALineLongerThanTheLimitIsErrorFourteenAndStoresNothing) {
  const std::string sent =
      PutTerminalBytes(1, "A$1;1;20261206;1\r\n" + std::string(kLongestTextLine + 1, 'Z') +
                              "\r\nB$2;2;20261206;2\r\n");

  Run(&Viruzedi::Scarica4);

  EXPECT_EQ(Captions(), std::vector<std::string>{"14"});
  EXPECT_TRUE(Movements().empty());
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{kTemporaryName});
  EXPECT_TRUE(ReadFile(letture + "/" + kTemporaryName) == sent);
}

TEST_F(FaultTest, AReaderFileLineLongerThanTheLimitReachesTheHostAndStoresNothing) {
  // A reader program that ends at once, leaving the reader file as written.
  platform->componentFolder = temporary / "componente/";
  PutReaderProgram(platform->componentFolder, "exit 0\n");
  const std::string readerFile = temporary / "letture.txt";
  WriteFile(readerFile, "A1;5\r\n" + std::string(kLongestTextLine, 'Z') + "Z;1\r\nB2;3\r\n");

  Viruzedi component(platform);
  EXPECT_EQ(ErrorOf([&] { component.Scarica2(database, readerFile); }), kOutOfStringSpace);

  EXPECT_TRUE(Rows("SELECT Codart FROM Viruzedi").empty());  // all or nothing
  EXPECT_TRUE(platform->boxes.empty());
}

}  // namespace
}  // namespace viruzedi::testing
