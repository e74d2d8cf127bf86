#include "DatabaseTestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <charconv>
#include <filesystem>
#include <fstream>

#include "base/AutomationError.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

RawDatabase::RawDatabase(const std::string& path) {
  int result = sqlite3_open(path.c_str(), &db_);
  EXPECT_EQ(result, SQLITE_OK) << sqlite3_errmsg(db_);
  sqlite3_busy_timeout(db_, 2000);
  // The helper's own writes need no durability; syncing them only slows the tests.
  sqlite3_exec(db_, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
}

RawDatabase::~RawDatabase() { sqlite3_close_v2(db_); }

bool RawDatabase::Exec(const std::string& sql) {
  char* message = nullptr;
  int result = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  EXPECT_EQ(result, SQLITE_OK) << sql << ": " << (message ? message : "");
  sqlite3_free(message);
  return result == SQLITE_OK;
}

std::vector<std::string> RawDatabase::Rows(const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3_stmt* statement = nullptr;
  int result = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr);
  EXPECT_EQ(result, SQLITE_OK) << sql << ": " << sqlite3_errmsg(db_);
  while (result == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
      if (i > 0) row += ", ";
      switch (sqlite3_column_type(statement, i)) {
        case SQLITE_NULL: row += "NULL"; break;
        case SQLITE_INTEGER: row += std::to_string(sqlite3_column_int64(statement, i)); break;
        case SQLITE_FLOAT: {
          char buffer[32];
          auto end = std::to_chars(buffer, buffer + sizeof buffer,
                                   sqlite3_column_double(statement, i)).ptr;
          std::string number(buffer, end);
          if (number.find_first_of(".en") == std::string::npos) number += ".0";
          row += number;
          break;
        }
        default:
          row += "'" + std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                   static_cast<size_t>(sqlite3_column_bytes(statement, i))) + "'";
      }
    }
    rows.push_back(row);
  }
  sqlite3_finalize(statement);
  return rows;
}

std::string RawDatabase::Value(const std::string& sql) {
  std::vector<std::string> rows = Rows(sql);
  return rows.empty() ? "(no row)" : rows.front();
}

bool PermissionsIgnored(const std::string& folder) {
  std::string probe = folder + "/permission-probe";
  WriteFile(probe, "x");
  std::filesystem::permissions(probe, std::filesystem::perms::none);
  bool readable = std::ifstream(probe).is_open();
  std::filesystem::permissions(probe, std::filesystem::perms::owner_all);
  std::filesystem::remove(probe);
  return readable;
}

}  // namespace viruzedi::testing
