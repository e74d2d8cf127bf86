// The help as a new user reads it: the commands grouped in the order of the
// work, each with an example of itself, and the versions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/Commands.h"

namespace viruzedi {
namespace {

using testing::RunViruzedi;

TEST(Help, ListsEveryCommandInItsGroupInAReadersOrderEachWithAnExample) {
  // Each group's title, then its commands, in the order the help shows them.
  const std::vector<std::vector<std::string>> groups{
      {"Setting up:", "init-db", "impostazioni"},
      {"Downloads: pen reader:", "scarica"},
      {"Downloads: infrared reader:", "scarica1"},
      {"Downloads: portable terminal:", "scarica3", "scarica4", "scarica5", "scarica-rimesseof"},
      {"Downloads: any reader, through the reader program:", "scarica2", "scarica-zidorivovi"},
      {"Upload to the portable terminal:", "upload1"},
      {"Operator's tools:", "in-attesa", "importa", "mostra", "gs1"},
      {"Demo:", "demo"},
  };
  testing::CommandOutcome help = RunViruzedi("--help");
  ASSERT_EQ(help.status, 0);
  size_t at = 0;
  for (const std::vector<std::string>& group : groups) {
    for (size_t i = 0; i < group.size(); ++i) {
      // A command's line is "  NAME   description", the title a line of its own.
      std::string line = i == 0 ? "\n" + group[i] + "\n" : "\n  " + group[i] + " ";
      size_t found = help.output.find(line, at);
      ASSERT_NE(found, std::string::npos) << line << " after offset " << at << "\n"
                                          << help.output;
      at = found + 1;
      if (i == 0) continue;
      testing::CommandOutcome own = RunViruzedi(group[i] + " --help");
      EXPECT_EQ(own.status, 0) << group[i];
      EXPECT_NE(own.output.find("Example:\n  viruzedi "), std::string::npos) << own.output;
      std::string example = own.output.substr(own.output.find("Example:"));
      EXPECT_TRUE(example.find(" " + group[i] + " ") != std::string::npos ||
                  example.find(" " + group[i] + "\n") != std::string::npos)
          << own.output;
    }
  }
}

TEST(Help, VersionNamesTheCommandAndTheLibrary) {
  testing::CommandOutcome version = RunViruzedi("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.output.find("viruzedi 1."), std::string::npos) << version.output;
  EXPECT_NE(version.output.find("libviruzedi 1."), std::string::npos) << version.output;
}

}  // namespace
}  // namespace viruzedi
