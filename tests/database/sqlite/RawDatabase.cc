// The direct connection of the database tests on an SQLite file.
#include "tests/database/support/RawConnection.h"

#include <gtest/gtest.h>
#include <sqlite3.h>


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

class SqliteConnection : public RawConnection {
 public:
  explicit SqliteConnection(const std::string& path) {
    sqlite3* raw = nullptr;
    int result = sqlite3_open(path.c_str(), &raw);
    db_.reset(raw);
    EXPECT_EQ(result, SQLITE_OK) << sqlite3_errmsg(raw);
    sqlite3_busy_timeout(raw, 2000);
    // The helper's own writes need no durability; syncing them only slows the tests.
    sqlite3_exec(raw, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
  }

  bool Exec(const std::string& sql) override {
    char* message = nullptr;
    int result = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
    EXPECT_EQ(result, SQLITE_OK) << sql << ": " << (message ? message : "");
    sqlite3_free(message);
    return result == SQLITE_OK;
  }

  std::vector<std::vector<StoredValue>> Cells(const std::string& sql) override {
    return CellsOf(db_.get(), sql);
  }

 private:
  Handle db_;
};

std::unique_ptr<RawConnection> OpenSqliteConnection(const std::string& path) {
  return std::make_unique<SqliteConnection>(path);
}

std::vector<std::string> SqliteQueryRows(const std::string& database, const std::string& query) {
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
