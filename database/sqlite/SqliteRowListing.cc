// The rows of a listing, read from an SQLite file opened for reading only.
#include <charconv>

#include "base/Errors.h"
#include "database/sqlite/SqliteConnection.h"
#include "database/sqlite/SqliteEngine.h"

namespace viruzedi {
namespace {

SqliteStatement Prepare(SqliteConnection& connection, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(connection.Handle(), sql.c_str(), -1, &raw, nullptr);
  SqliteStatement statement(raw);
  if (result != SQLITE_OK) connection.Fail(result);
  return statement;
}

std::string CellText(sqlite3_stmt* row, int column) {
  switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL: return "";
    case SQLITE_INTEGER: return std::to_string(sqlite3_column_int64(row, column));
    case SQLITE_FLOAT: {
      char buffer[32];
      auto [end, error] =
          std::to_chars(buffer, buffer + sizeof buffer, sqlite3_column_double(row, column));
      return error == std::errc() ? std::string(buffer, end) : "?";
    }
    case SQLITE_BLOB: return "<" + std::to_string(sqlite3_column_bytes(row, column)) + " byte>";
    default:
      return std::string(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                         static_cast<size_t>(sqlite3_column_bytes(row, column)));
  }
}

TableRows ListTable(SqliteConnection& connection, const std::string& name, size_t most) {
  TableRows listed;
  const TableSchema* table =
      StartListing(name, listed, [&]() -> const TableSchema& { return connection.Table(name); });
  if (table == nullptr) return listed;
  std::string quoted = QuoteIdentifier(table->name);
  SqliteStatement count = Prepare(connection, "SELECT count(*) FROM " + quoted);
  int result = sqlite3_step(count.get());
  if (result != SQLITE_ROW) connection.Fail(result);
  listed.count = sqlite3_column_int64(count.get(), 0);

  SqliteStatement select =
      Prepare(connection, "SELECT * FROM " + quoted + " LIMIT " + std::to_string(most));
  int columns = sqlite3_column_count(select.get());
  while ((result = sqlite3_step(select.get())) == SQLITE_ROW) {
    std::vector<std::string>& cells = listed.rows.emplace_back();
    for (int i = 0; i < columns; ++i) cells.push_back(CellText(select.get(), i));
  }
  if (result != SQLITE_DONE) connection.Fail(result);
  return listed;
}

}  // namespace

std::vector<TableRows> SqliteEngine::ListRows(const std::string& name,
                                              const std::vector<std::string>& tables, size_t most,
                                              std::chrono::milliseconds busyTimeout) {
  std::shared_ptr<SqliteConnection> connection =
      SqliteConnection::Open(name, SqliteConnection::Mode::ReadOnly, busyTimeout);
  std::vector<TableRows> listed;
  for (const std::string& table : tables) listed.push_back(ListTable(*connection, table, most));
  return listed;
}

}  // namespace viruzedi
