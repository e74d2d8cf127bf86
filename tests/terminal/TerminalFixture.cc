#include "tests/terminal/TerminalFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "database/Database.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {

TerminalTest::TerminalTest() {
  std::filesystem::create_directory(terminale);
  DBEngine::CreateTargetDatabase(database);
  platform->downloadFolder = letture;
  platform->terminalSetting = "dir:" + terminale;
}

void TerminalTest::PutTerminalFile(int numeroFile, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteFile(terminale + "/" + std::to_string(numeroFile) + ".txt", bytes);
}

std::vector<std::string> TerminalTest::Rows(const std::string& query) const {
  return QueryRows(database, query);
}

std::vector<std::string> TerminalTest::Captions() const {
  std::vector<std::string> captions;
  for (const ShownBox& box : platform->boxes) captions.push_back(box.caption);
  return captions;
}

}  // namespace viruzedi::testing
