#include "tests/readerprog/ReaderProgramFixture.h"

#include "platform/FileSystem.h"

#include <filesystem>

#include "database/Database.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {

ReaderProgramTest::ReaderProgramTest() {
  std::filesystem::create_directory(componentFolder);
  DBEngine::CreateTargetDatabase(database);
  platform->componentFolder = componentFolder;
  PutReaderProgram(componentFolder, "exit 0\n");
  platform->localTimes = {kToday};
}

void ReaderProgramTest::PutReaderFile(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteFile(readerFile, bytes);
}

void ReaderProgramTest::PutReaderProgram(const std::string& folder, const std::string& script) {
  testing::PutReaderProgram(folder, script);
}

std::vector<std::string> ReaderProgramTest::Rows(const std::string& query) const {
  return QueryRows(database, query);
}

std::string ReaderProgramTest::WaitingReaderFile() const {
  const std::string prefix = BaseName(readerFile) + ".in-importazione-";
  std::string newest;
  for (const std::string& name : FolderNames(ParentFolder(readerFile))) {
    if (name.rfind(prefix, 0) == 0) newest = JoinPath(ParentFolder(readerFile), name);
  }
  return newest;
}

}  // namespace viruzedi::testing
