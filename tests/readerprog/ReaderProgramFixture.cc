#include "tests/readerprog/ReaderProgramFixture.h"

#include <sqlite3.h>

#include <filesystem>

#include "component/Database.h"

namespace viruzedi::testing {

ReaderProgramTest::ReaderProgramTest() {
  std::filesystem::create_directory(componentFolder);
  DBEngine::CreateTargetDatabase(database);
  platform->componentFolder = componentFolder;
  platform->localTimes = {kToday};
}

void ReaderProgramTest::PutReaderFile(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteFile(readerFile, bytes);
}

void ReaderProgramTest::PutReaderProgram(const std::string& folder, const std::string& script) {
  std::string path = folder + "DO_Duri.exe";
  WriteFile(path, "#!/bin/sh\n" + script);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

std::vector<std::string> ReaderProgramTest::Rows(const std::string& query) const {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open " << database;
    return rows;
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        if (i > 0) row += "|";
        const unsigned char* text = sqlite3_column_text(statement, i);
        row += text ? reinterpret_cast<const char*>(text) : "NULL";
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

}  // namespace viruzedi::testing
