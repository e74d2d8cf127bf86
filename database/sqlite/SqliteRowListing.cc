// The rows of a listing, read from an SQLite file opened for reading only.
#include <charconv>

#include "database/sqlite/SqliteConnection.h"

namespace viruzedi {
namespace {

std::string CellText(sqlite3_stmt* row, int column) {
  switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
      return "";
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(row, column));
    case SQLITE_FLOAT: {
      char buffer[32];
      auto [end, error] =
          std::to_chars(buffer, buffer + sizeof buffer, sqlite3_column_double(row, column));
      return error == std::errc() ? std::string(buffer, end) : "?";
    }
    case SQLITE_BLOB:
      return "<" + std::to_string(sqlite3_column_bytes(row, column)) + " byte>";
    default:
      return std::string(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                         static_cast<size_t>(sqlite3_column_bytes(row, column)));
  }
}

}  // namespace

void SqliteConnection::ListRows(const KnownTable& table, size_t most,
                                std::vector<std::vector<std::string>>& rows, int64_t& count) {
  SqliteStatement counted = Prepare("SELECT count(*) FROM " + table.where.sqlName);
  int result = sqlite3_step(counted.get());
  if (result != SQLITE_ROW) Fail(result);
  count = sqlite3_column_int64(counted.get(), 0);

  SqliteStatement select =
      Prepare("SELECT * FROM " + table.where.sqlName + " LIMIT " + std::to_string(most));
  int columns = sqlite3_column_count(select.get());
  while ((result = sqlite3_step(select.get())) == SQLITE_ROW) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (int i = 0; i < columns; ++i) cells.push_back(CellText(select.get(), i));
  }
  if (result != SQLITE_DONE) Fail(result);
}

}  // namespace viruzedi
