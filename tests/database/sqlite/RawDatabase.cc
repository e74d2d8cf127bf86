// The direct connection of the database tests on an SQLite file.
#include "tests/database/support/RawDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <charconv>

namespace viruzedi::testing {
namespace {

struct Finalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

struct Closer {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

StoredValue CellOf(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL: return std::monostate{};
    case SQLITE_INTEGER: return int64_t{sqlite3_column_int64(statement, column)};
    case SQLITE_FLOAT: return sqlite3_column_double(statement, column);
    default:
      return std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                         static_cast<size_t>(sqlite3_column_bytes(statement, column)));
  }
}

// Every row of `sql` on `db`, its cells as stored; fails the test when the
// query is refused.
std::vector<std::vector<StoredValue>> CellsOf(sqlite3* db, const std::string& sql) {
  std::vector<std::vector<StoredValue>> rows;
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
  Statement statement(raw);
  EXPECT_EQ(result, SQLITE_OK) << sql << ": " << sqlite3_errmsg(db);
  while (result == SQLITE_OK && sqlite3_step(raw) == SQLITE_ROW) {
    std::vector<StoredValue>& row = rows.emplace_back();
    for (int i = 0; i < sqlite3_column_count(raw); ++i) row.push_back(CellOf(raw, i));
  }
  return rows;
}

Handle OpenReadOnly(const std::string& name, int extraFlags = 0) {
  sqlite3* raw = nullptr;
  int result = sqlite3_open_v2(name.c_str(), &raw, SQLITE_OPEN_READONLY | extraFlags, nullptr);
  Handle db(raw);
  if (result != SQLITE_OK) db.reset();
  return db;
}

}  // namespace

struct RawDatabase::Connection {
  Handle db;
};

RawDatabase::RawDatabase(const std::string& path) : connection_(std::make_unique<Connection>()) {
  sqlite3* raw = nullptr;
  int result = sqlite3_open(path.c_str(), &raw);
  connection_->db.reset(raw);
  EXPECT_EQ(result, SQLITE_OK) << sqlite3_errmsg(raw);
  sqlite3_busy_timeout(raw, 2000);
  // The helper's own writes need no durability; syncing them only slows the tests.
  sqlite3_exec(raw, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
}

RawDatabase::~RawDatabase() = default;

bool RawDatabase::Exec(const std::string& sql) {
  char* message = nullptr;
  int result = sqlite3_exec(connection_->db.get(), sql.c_str(), nullptr, nullptr, &message);
  EXPECT_EQ(result, SQLITE_OK) << sql << ": " << (message ? message : "");
  sqlite3_free(message);
  return result == SQLITE_OK;
}

std::vector<std::vector<StoredValue>> RawDatabase::Cells(const std::string& sql) {
  return CellsOf(connection_->db.get(), sql);
}

std::vector<std::string> RawDatabase::Rows(const std::string& sql) {
  std::vector<std::string> rows;
  for (const std::vector<StoredValue>& cells : Cells(sql)) {
    std::string row;
    for (const StoredValue& cell : cells) {
      if (!row.empty()) row += ", ";
      if (std::holds_alternative<std::monostate>(cell)) {
        row += "NULL";
      } else if (const int64_t* integer = std::get_if<int64_t>(&cell)) {
        row += std::to_string(*integer);
      } else if (const double* real = std::get_if<double>(&cell)) {
        char buffer[32];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, *real).ptr;
        std::string number(buffer, end);
        if (number.find_first_of(".en") == std::string::npos) number += ".0";
        row += number;
      } else {
        row += "'" + std::get<std::string>(cell) + "'";
      }
    }
    rows.push_back(row);
  }
  return rows;
}

std::string RawDatabase::Value(const std::string& sql) {
  std::vector<std::string> rows = Rows(sql);
  return rows.empty() ? "(no row)" : rows.front();
}

std::vector<std::string> QueryRows(const std::string& database, const std::string& query) {
  std::vector<std::string> rows;
  Handle db = OpenReadOnly(database);
  if (!db) {
    ADD_FAILURE() << "cannot open " << database;
    return rows;
  }
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db.get(), query.c_str(), -1, &raw, nullptr);
  Statement statement(raw);
  if (result != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db.get());
    return rows;
  }
  while (sqlite3_step(raw) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(raw); ++i) {
      if (i > 0) row += "|";
      const unsigned char* text = sqlite3_column_text(raw, i);
      row += text ? reinterpret_cast<const char*>(text) : "NULL";
    }
    rows.push_back(row);
  }
  return rows;
}

int64_t RowsInTheFileItself(const std::string& database, const std::string& table) {
  // Read as unchanging, SQLite ignores the WAL file: only what a checkpoint
  // copied into the database file counts.
  Handle db = OpenReadOnly("file:" + database + "?immutable=1", SQLITE_OPEN_URI);
  if (!db) return -1;
  std::string sql = "SELECT count(*) FROM \"" + table + "\"";
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) return -1;
  Statement statement(raw);
  return sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int64(raw, 0) : -1;
}

}  // namespace viruzedi::testing
