#include "tests/terminal/TerminalFixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "component/Database.h"

namespace viruzedi::testing {

TerminalTest::TerminalTest() {
  std::filesystem::create_directory(terminale);
  DBEngine::CreateTargetDatabase(database);
  platform->downloadFolder = letture;
  platform->terminalSpec = "dir:" + terminale;
}

void TerminalTest::PutTerminalFile(int numeroFile, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteFile(terminale + "/" + std::to_string(numeroFile) + ".txt", bytes);
}

std::vector<std::string> TerminalTest::Names(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TerminalTest::Rows(const std::string& query) const {
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

std::vector<std::string> TerminalTest::Captions() const {
  std::vector<std::string> captions;
  for (const ShownBox& box : platform->boxes) captions.push_back(box.caption);
  return captions;
}

}  // namespace viruzedi::testing
