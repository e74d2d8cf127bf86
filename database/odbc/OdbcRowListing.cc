// The rows of a listing, read through a connection of its own.
#include <charconv>

#include "database/odbc/OdbcConnection.h"
#include "database/odbc/OdbcEngine.h"
#include "database/ConnectionString.h"

namespace viruzedi {
namespace {

bool IsRealType(SQLSMALLINT type) {
  return type == SQL_FLOAT || type == SQL_REAL || type == SQL_DOUBLE || type == SQL_NUMERIC ||
         type == SQL_DECIMAL;
}

// A cell as the file engine's listing prints it: a real number in its
// shortest form, so the same value reads the same whichever engine holds it.
std::string CellText(OdbcConnection& connection, SQLHSTMT rows, SQLUSMALLINT column,
                     SQLSMALLINT type) {
  std::string text;
  if (!connection.Text(rows, column, text)) return "";
  if (!IsRealType(type)) return text;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return text;
  char buffer[32];
  auto [last, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, last) : text;
}

TableRows ListTable(OdbcConnection& connection, const std::string& name, size_t most) {
  TableRows listed;
  const TableSchema* table =
      StartListing(name, listed, [&]() -> const TableSchema& { return connection.Table(name); });
  if (table == nullptr) return listed;
  // The name comes from the catalog, quoted.
  const std::string& quoted = connection.QualifiedName(*table);
  OdbcStatement count = connection.Query("SELECT count(*) FROM " + quoted);
  if (SQL_SUCCEEDED(SQLFetch(count.get()))) {
    SQLBIGINT rows = 0;
    SQLLEN indicator = 0;
    if (SQL_SUCCEEDED(SQLGetData(count.get(), 1, SQL_C_SBIGINT, &rows, 0, &indicator))) {
      listed.count = rows;
    }
  }
  OdbcStatement rows = connection.Query("SELECT * FROM " + quoted);
  SQLSMALLINT columns = 0;
  SQLNumResultCols(rows.get(), &columns);
  std::vector<SQLSMALLINT> types(static_cast<size_t>(columns), SQL_VARCHAR);
  for (SQLSMALLINT i = 0; i < columns; ++i) {
    SQLLEN type = 0;
    SQLColAttribute(rows.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_DESC_CONCISE_TYPE, nullptr, 0,
                    nullptr, &type);
    types[static_cast<size_t>(i)] = static_cast<SQLSMALLINT>(type);
  }
  while (listed.rows.size() < most) {
    SQLRETURN result = SQLFetch(rows.get());
    if (result == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(result)) connection.Fail(SQL_HANDLE_STMT, rows.get());
    std::vector<std::string>& cells = listed.rows.emplace_back();
    for (SQLSMALLINT i = 0; i < columns; ++i) {
      cells.push_back(CellText(connection, rows.get(), static_cast<SQLUSMALLINT>(i + 1),
                               types[static_cast<size_t>(i)]));
    }
  }
  return listed;
}

}  // namespace

std::vector<TableRows> OdbcEngine::ListRows(const std::string& name,
                                            const std::vector<std::string>& tables, size_t most,
                                            std::chrono::milliseconds busyTimeout) {
  std::unique_ptr<OdbcConnection> connection =
      OdbcConnection::Connect(ConnectionStringOfValue(name), busyTimeout);
  std::vector<TableRows> listed;
  for (const std::string& table : tables) listed.push_back(ListTable(*connection, table, most));
  return listed;
}

}  // namespace viruzedi
