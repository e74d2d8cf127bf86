// The rows of a listing, read through a connection of its own.
#include "database/odbc/OdbcConnection.h"

namespace viruzedi {
namespace {

bool IsRealType(SQLSMALLINT type) {
  return type == SQL_FLOAT || type == SQL_REAL || type == SQL_DOUBLE || type == SQL_NUMERIC ||
         type == SQL_DECIMAL;
}

}  // namespace

void OdbcConnection::ListRows(const KnownTable& table, size_t most,
                              std::vector<std::vector<std::string>>& rows, int64_t& count) {
  OdbcStatement counted = Query("SELECT count(*) FROM " + table.where.sqlName);
  if (SQL_SUCCEEDED(SQLFetch(counted.get()))) {
    SQLBIGINT all = 0;
    SQLLEN indicator = 0;
    if (SQL_SUCCEEDED(SQLGetData(counted.get(), 1, SQL_C_SBIGINT, &all, 0, &indicator))) {
      count = all;
    }
  }
  // Not every driver's SQL knows LIMIT: the rows past `most` are not fetched.
  OdbcStatement read = Query("SELECT * FROM " + table.where.sqlName);
  SQLSMALLINT columns = 0;
  SQLNumResultCols(read.get(), &columns);
  std::vector<SQLSMALLINT> types(static_cast<size_t>(columns), SQL_VARCHAR);
  for (SQLSMALLINT i = 0; i < columns; ++i) {
    SQLLEN type = 0;
    SQLColAttribute(read.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_DESC_CONCISE_TYPE, nullptr, 0,
                    nullptr, &type);
    types[static_cast<size_t>(i)] = static_cast<SQLSMALLINT>(type);
  }
  while (rows.size() < most) {
    SQLRETURN result = SQLFetch(read.get());
    if (result == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(result)) Fail(SQL_HANDLE_STMT, read.get());
    std::vector<std::string>& cells = rows.emplace_back();
    for (SQLSMALLINT i = 0; i < columns; ++i) {
      std::string text;
      if (!Text(read.get(), static_cast<SQLUSMALLINT>(i + 1), text)) text.clear();
      cells.push_back(IsRealType(types[static_cast<size_t>(i)]) ? ListedNumber(text) : text);
    }
  }
}

}  // namespace viruzedi
