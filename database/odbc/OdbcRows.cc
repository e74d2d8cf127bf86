// The rows of a batch and the bookkeeping statements, their values bound as
// parameters.
#include <algorithm>

#include "database/SqlText.h"
#include "database/odbc/OdbcConnection.h"
#include "database/odbc/OdbcText.h"

namespace viruzedi {
namespace {

// A cap on the prepared INSERTs kept, as for the other engines: the imports
// use a handful of column lists.
constexpr size_t kMostCachedInserts = 64;

bool IsIntegerType(SQLSMALLINT type) {
  return type == SQL_SMALLINT || type == SQL_INTEGER || type == SQL_BIGINT || type == SQL_TINYINT;
}

// A stored date "yyyy-mm-dd" as ODBC's date structure.
SQL_DATE_STRUCT DateOf(const std::string& text) {
  SQL_DATE_STRUCT date{};
  date.year = static_cast<SQLSMALLINT>(std::atoi(text.substr(0, 4).c_str()));
  date.month = static_cast<SQLUSMALLINT>(std::atoi(text.substr(5, 2).c_str()));
  date.day = static_cast<SQLUSMALLINT>(std::atoi(text.substr(8, 2).c_str()));
  return date;
}

// The buffers of one row's parameters, alive until the row is executed.
struct Parameters {
  std::vector<std::u16string> texts;
  std::vector<SQL_DATE_STRUCT> dates;
  std::vector<int64_t> integers;
  std::vector<double> reals;
  std::vector<SQLLEN> lengths;
};

}  // namespace

OdbcStatement& OdbcConnection::PreparedInsert(const RowBatch& batch) {
  std::string sql = InsertSql(
      batch, [this](const std::string& name) { return Quote(name); },
      [](size_t) { return std::string("?"); });
  auto cached = inserts_.find(sql);
  if (cached != inserts_.end()) return cached->second;
  if (inserts_.size() >= kMostCachedInserts) inserts_.clear();
  OdbcStatement statement = NewStatement();
  Check(Prepare(statement.get(), sql), SQL_HANDLE_STMT, statement.get());
  return inserts_.emplace(std::move(sql), std::move(statement)).first->second;
}

BatchOutcome OdbcConnection::Send(const RowBatch& batch) {
  SQLHSTMT statement = PreparedInsert(batch).get();
  const TableSchema& table = batch.table->schema;
  const size_t count = batch.columns.size();
  BatchOutcome outcome;
  Parameters buffers;
  for (size_t row = 0; row < batch.rows; ++row) {
    const BoundValue* values = batch.Row(row);
    // Reserved up front: the driver keeps pointers into them until SQLExecute.
    buffers.texts.clear();
    buffers.dates.clear();
    buffers.integers.clear();
    buffers.reals.clear();
    buffers.texts.reserve(count);
    buffers.dates.reserve(count);
    buffers.integers.reserve(count);
    buffers.reals.reserve(count);
    buffers.lengths.assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
      const ColumnSchema& column = table.columns[batch.columns[i]];
      // The driver's own type for the column where the catalog gave one.
      const SQLSMALLINT columnType =
          column.engineType != 0 ? static_cast<SQLSMALLINT>(column.engineType) : SQL_VARCHAR;
      const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
      SQLLEN& length = buffers.lengths[i];
      SQLRETURN result;
      const BoundValue& value = values[i];
      if (std::holds_alternative<std::monostate>(value)) {
        length = SQL_NULL_DATA;
        result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, columnType, 1, 0,
                                  nullptr, 0, &length);
      } else if (const int64_t* integer = std::get_if<int64_t>(&value)) {
        buffers.integers.push_back(*integer);
        result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_SBIGINT,
                                  IsIntegerType(columnType) ? columnType : SQL_BIGINT, 19, 0,
                                  &buffers.integers.back(), 0, &length);
      } else if (const double* real = std::get_if<double>(&value)) {
        buffers.reals.push_back(*real);
        result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15,
                                  0, &buffers.reals.back(), 0, &length);
      } else if (column.kind == ColumnKind::Date) {
        buffers.dates.push_back(DateOf(std::get<std::string>(value)));
        result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_TYPE_DATE,
                                  SQL_TYPE_DATE, 10, 0, &buffers.dates.back(), 0, &length);
      } else {
        buffers.texts.push_back(Utf16OfUtf8(std::get<std::string>(value)));
        std::u16string& text = buffers.texts.back();
        length = static_cast<SQLLEN>(text.size() * sizeof(SQLWCHAR));
        result =
            SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                             std::max<SQLULEN>(1, text.size()), 0, Wide(text), length, &length);
      }
      Check(result, SQL_HANDLE_STMT, statement);
    }
    SQLRETURN result = SQLExecute(statement);
    if (SQL_SUCCEEDED(result) || result == SQL_NO_DATA) {
      SQLFreeStmt(statement, SQL_CLOSE);
      continue;
    }
    Diagnostic diagnostic = Diagnose(SQL_HANDLE_STMT, statement);
    SQLFreeStmt(statement, SQL_CLOSE);
    if (!IsRefusal(diagnostic)) Raise(diagnostic);
    if (inTransaction_ && refusalAbortsTransaction_) {
      outcome.failedWhole = true;
      return outcome;
    }
    outcome.refused.push_back(row);
  }
  return outcome;
}

std::vector<std::vector<std::string>> OdbcConnection::Run(
    const std::string& sql, const std::vector<BoundValue>& parameters) {
  OdbcStatement statement = NewStatement();
  SQLHSTMT raw = statement.get();
  Check(Prepare(raw, sql), SQL_HANDLE_STMT, raw);
  // Reserved up front: the driver keeps pointers into them until SQLExecute.
  std::vector<int64_t> integers;
  std::vector<std::u16string> texts;
  std::vector<SQLLEN> lengths(parameters.size());
  integers.reserve(parameters.size());
  texts.reserve(parameters.size());
  for (size_t i = 0; i < parameters.size(); ++i) {
    SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
    SQLLEN& length = lengths[i];
    SQLRETURN result;
    if (const int64_t* integer = std::get_if<int64_t>(&parameters[i])) {
      integers.push_back(*integer);
      result = SQLBindParameter(raw, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_INTEGER, 10, 0,
                                &integers.back(), 0, &length);
    } else if (const std::string* text = std::get_if<std::string>(&parameters[i])) {
      std::u16string& wide = texts.emplace_back(Utf16OfUtf8(*text));
      length = static_cast<SQLLEN>(wide.size() * sizeof(SQLWCHAR));
      result = SQLBindParameter(raw, number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                std::max<SQLULEN>(1, wide.size()), 0, Wide(wide), length, &length);
    } else {
      length = SQL_NULL_DATA;
      result = SQLBindParameter(raw, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                                nullptr, 0, &length);
    }
    Check(result, SQL_HANDLE_STMT, raw);
  }
  Check(SQLExecute(raw), SQL_HANDLE_STMT, raw);
  std::vector<std::vector<std::string>> rows;
  SQLSMALLINT columns = 0;
  Check(SQLNumResultCols(raw, &columns), SQL_HANDLE_STMT, raw);
  if (columns == 0) return rows;
  SQLRETURN result;
  while (SQL_SUCCEEDED(result = SQLFetch(raw))) {
    std::vector<std::string>& row = rows.emplace_back(static_cast<size_t>(columns));
    for (SQLSMALLINT column = 1; column <= columns; ++column) {
      Text(raw, static_cast<SQLUSMALLINT>(column), row[static_cast<size_t>(column - 1)]);
    }
  }
  Check(result, SQL_HANDLE_STMT, raw);
  return rows;
}

}  // namespace viruzedi
