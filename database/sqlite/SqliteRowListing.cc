// The listing of the command line's summary: the component's two tables as
// aligned columns, at most kMostRowsShown rows each.
#include <sqlite3.h>

#include <charconv>
#include <sstream>
#include <vector>

#include "base/AutomationError.h"
#include "database/Database.h"
#include "database/sqlite/SqliteConnection.h"

namespace viruzedi {
namespace {

constexpr int kMostRowsShown = 50;
constexpr const char* kTablesShown[] = {"Viruzedi", "Viruzedi_RimesseOF"};

struct Finalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

Statement Prepare(SqliteConnection& connection, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(connection.Handle(), sql.c_str(), -1, &raw, nullptr);
  Statement statement(raw);
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
    default: {
      std::string text(reinterpret_cast<const char*>(sqlite3_column_text(row, column)),
                       static_cast<size_t>(sqlite3_column_bytes(row, column)));
      // One row per line: line ends and tabs inside a value would break it.
      for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
      }
      return text;
    }
  }
}

// Width on a terminal, counting each UTF-8 sequence as one character.
size_t Width(const std::string& text) {
  size_t width = 0;
  for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return width;
}

void AppendRow(std::ostringstream& out, const std::vector<std::string>& cells,
               const std::vector<size_t>& widths) {
  std::string line = " ";
  for (size_t i = 0; i < cells.size(); ++i) {
    line += (i == 0 ? " " : " | ") + cells[i];
    if (i + 1 < cells.size()) line.append(widths[i] - Width(cells[i]), ' ');
  }
  line.erase(line.find_last_not_of(' ') + 1);
  out << line << "\n";
}

void DumpTable(std::ostringstream& out, SqliteConnection& connection, const std::string& name) {
  const TableSchema* table = nullptr;
  try {
    table = &connection.Table(name);
  } catch (const AutomationError& error) {
    if (error.number != kDbTableNotFound) throw;
    out << name << ": table missing\n";
    return;
  }
  std::string quoted = QuoteIdentifier(table->name);
  Statement count = Prepare(connection, "SELECT count(*) FROM " + quoted);
  int result = sqlite3_step(count.get());
  if (result != SQLITE_ROW) connection.Fail(result);
  int64_t rows = sqlite3_column_int64(count.get(), 0);
  out << table->name << ": " << rows << (rows == 1 ? " row" : " rows") << "\n";

  std::vector<std::vector<std::string>> lines(1);
  for (const ColumnSchema& column : table->columns) lines[0].push_back(column.name);
  Statement select = Prepare(
      connection, "SELECT * FROM " + quoted + " LIMIT " + std::to_string(kMostRowsShown));
  int columns = sqlite3_column_count(select.get());
  while ((result = sqlite3_step(select.get())) == SQLITE_ROW) {
    std::vector<std::string>& cells = lines.emplace_back();
    for (int i = 0; i < columns; ++i) cells.push_back(CellText(select.get(), i));
  }
  if (result != SQLITE_DONE) connection.Fail(result);

  std::vector<size_t> widths(lines[0].size(), 0);
  for (const auto& cells : lines) {
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], Width(cells[i]));
    }
  }
  for (const auto& cells : lines) AppendRow(out, cells, widths);
  if (rows > kMostRowsShown) out << "  ... and " << rows - kMostRowsShown << " more\n";
}

}  // namespace

std::string DumpTables(const std::string& name) {
  std::shared_ptr<SqliteConnection> connection = SqliteConnection::Open(
      name, SqliteConnection::Mode::ReadOnly, DBEngine::Instance().BusyTimeout());
  std::ostringstream out;
  for (const char* table : kTablesShown) DumpTable(out, *connection, table);
  return out.str();
}

}  // namespace viruzedi
