// The rows of a batch and the bookkeeping statements, their values bound as
// parameters.
#include <algorithm>
#include <cstring>

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

// The number written at [from, from + digits) of a date's text.
int DigitsAt(const std::string& text, size_t from, size_t digits) {
  int number = 0;
  for (size_t i = from; i < from + digits && i < text.size(); ++i) {
    number = number * 10 + (text[i] - '0');
  }
  return number;
}

// A stored date "yyyy-mm-dd" as ODBC's date structure.
SQL_DATE_STRUCT DateOf(const std::string& text) {
  SQL_DATE_STRUCT date{};
  date.year = static_cast<SQLSMALLINT>(DigitsAt(text, 0, 4));
  date.month = static_cast<SQLUSMALLINT>(DigitsAt(text, 5, 2));
  date.day = static_cast<SQLUSMALLINT>(DigitsAt(text, 8, 2));
  return date;
}

// The kinds of a BoundValue, by their index in the variant.
constexpr size_t kNull = 0;
constexpr size_t kInteger = 1;
constexpr size_t kReal = 2;
constexpr size_t kText = 3;

// A text longer than this sends its batch row by row: a column's array
// holds every row at the longest's width, and memory stays flat.
constexpr size_t kLongestArrayText = 4000;

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
  // Outside a transaction each row commits on its own, and a row that an
  // array stopped at would leave the rows before it unknown: several rows
  // at once only inside one. A single row gains nothing from them, nor
  // does a row of no columns, of which one set of no parameters would
  // store one for all.
  BatchOutcome outcome;
  const bool several = inTransaction_ && batch.rows > 1 && !batch.columns.empty() &&
                       (arrays_ != Arrays::kRefused || sqlite_) && FillColumns(batch);
  if (!several) {
    SendRows(PreparedInsert(batch).get(), batch, 0, batch.rows, outcome);
    return outcome;
  }
  // The SQLite driver prepares its SQL anew at every execution, for each
  // set of an array as for a statement: its rows go in statements of many
  // rows each, prepared once, as many as SQLite's parameters allow. A part
  // with a refused row goes again as an array, which finds it.
  const size_t step =
      sqlite_ ? std::max<size_t>(1, sqliteParameters_ / batch.columns.size()) : batch.rows;
  for (size_t first = 0; first < batch.rows && !outcome.failedWhole; first += step) {
    const size_t end = std::min(batch.rows, first + step);
    if (sqlite_ && end - first > 1 && SendInOneStatement(batch, first, end)) continue;
    SQLHSTMT statement = PreparedInsert(batch).get();
    if (!SendArrays(statement, batch, first, end, outcome)) {
      SendRows(statement, batch, first, end, outcome);
    }
  }
  return outcome;
}

bool OdbcConnection::SendInOneStatement(const RowBatch& batch, size_t first, size_t end) {
  std::string sql = InsertSql(
      batch, [this](const std::string& name) { return Quote(name); },
      [](size_t) { return std::string("?"); });
  const std::string values = sql.substr(sql.rfind('('));
  sql.reserve(sql.size() + (values.size() + 2) * (end - first));
  for (size_t row = first + 1; row < end; ++row) sql.append(", ").append(values);
  auto cached = inserts_.find(sql);
  if (cached == inserts_.end()) {
    if (inserts_.size() >= kMostCachedInserts) inserts_.clear();
    OdbcStatement made = NewStatement();
    Check(Prepare(made.get(), sql), SQL_HANDLE_STMT, made.get());
    cached = inserts_.emplace(std::move(sql), std::move(made)).first;
  }
  SQLHSTMT statement = cached->second.get();
  const size_t count = parameters_.size();
  for (size_t row = first; row < end; ++row) {
    for (size_t i = 0; i < count; ++i) {
      ParameterColumn& parameter = parameters_[i];
      Check(SQLBindParameter(statement, static_cast<SQLUSMALLINT>((row - first) * count + i + 1),
                             SQL_PARAM_INPUT, parameter.cType, parameter.sqlType, parameter.size, 0,
                             parameter.data.data() + row * static_cast<size_t>(parameter.width),
                             parameter.width, parameter.lengths.data() + row),
            SQL_HANDLE_STMT, statement);
    }
  }
  const SQLRETURN result = SQLExecute(statement);
  if (SQL_SUCCEEDED(result) || result == SQL_NO_DATA) {
    SQLFreeStmt(statement, SQL_CLOSE);
    return true;
  }
  // A refused row undoes the statement alone, not the transaction.
  Diagnostic diagnostic = Diagnose(SQL_HANDLE_STMT, statement);
  SQLFreeStmt(statement, SQL_CLOSE);
  if (!IsRefusal(diagnostic)) Raise(diagnostic);
  return false;
}

bool OdbcConnection::TakesArrays(SQLHSTMT statement, SQLULEN rows) {
  SQLRETURN result =
      SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0);
  if (arrays_ == Arrays::kUntried) {
    // A driver may take the attribute and go on with one set: it must read
    // back as set.
    SQLULEN back = 0;
    bool taken =
        SQL_SUCCEEDED(result) &&
        SQL_SUCCEEDED(SQLGetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, &back, 0, nullptr)) &&
        back == rows;
    arrays_ = taken ? Arrays::kTaken : Arrays::kRefused;
    if (!taken) {
      SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
    }
    return taken;
  }
  return SQL_SUCCEEDED(result);
}

bool OdbcConnection::FillColumns(const RowBatch& batch) {
  const TableSchema& table = batch.table->schema;
  const size_t count = batch.columns.size();
  const size_t rows = batch.rows;
  parameters_.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const ColumnSchema& column = table.columns[batch.columns[i]];
    const SQLSMALLINT columnType =
        column.engineType != 0 ? static_cast<SQLSMALLINT>(column.engineType) : SQL_VARCHAR;
    // The kind of the column's first value that is not Null; every other
    // must be of it.
    size_t kind = kNull;
    size_t longest = 0;  // in bytes of UTF-8, for text
    for (size_t row = 0; row < rows; ++row) {
      const BoundValue& value = batch.Row(row)[i];
      if (value.index() == kNull) continue;
      if (kind != kNull && value.index() != kind) return false;
      kind = value.index();
      if (const std::string* text = std::get_if<std::string>(&value)) {
        longest = std::max(longest, text->size());
      }
    }
    if (longest > kLongestArrayText) return false;
    ParameterColumn& parameter = parameters_[i];
    const bool date = kind == kText && column.kind == ColumnKind::Date;
    // The C and SQL types each value gets when bound on its own.
    const auto bind = [&parameter](SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN size,
                                   size_t width) {
      parameter.cType = cType;
      parameter.sqlType = sqlType;
      parameter.size = size;
      parameter.width = static_cast<SQLLEN>(width);
    };
    if (kind == kNull) {
      bind(SQL_C_CHAR, columnType, 1, 1);
    } else if (kind == kInteger) {
      bind(SQL_C_SBIGINT, IsIntegerType(columnType) ? columnType : SQL_BIGINT, 19, sizeof(int64_t));
    } else if (kind == kReal) {
      bind(SQL_C_DOUBLE, SQL_DOUBLE, 15, sizeof(double));
    } else if (date) {
      bind(SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, sizeof(SQL_DATE_STRUCT));
    } else {
      // UTF-16 takes no more units than UTF-8 takes bytes.
      bind(SQL_C_WCHAR, SQL_WVARCHAR, 1, (longest + 1) * sizeof(SQLWCHAR));
    }
    parameter.data.resize(rows * static_cast<size_t>(parameter.width));
    parameter.lengths.assign(rows, 0);
    for (size_t row = 0; row < rows; ++row) {
      const BoundValue& value = batch.Row(row)[i];
      char* at = parameter.data.data() + row * static_cast<size_t>(parameter.width);
      SQLLEN& length = parameter.lengths[row];
      if (std::holds_alternative<std::monostate>(value)) {
        length = SQL_NULL_DATA;
      } else if (const int64_t* integer = std::get_if<int64_t>(&value)) {
        std::memcpy(at, integer, sizeof *integer);
      } else if (const double* real = std::get_if<double>(&value)) {
        std::memcpy(at, real, sizeof *real);
      } else if (date) {
        SQL_DATE_STRUCT day = DateOf(std::get<std::string>(value));
        std::memcpy(at, &day, sizeof day);
      } else {
        // Written in place: the column's width has room for the longest.
        const size_t units =
            Utf16OfUtf8(std::get<std::string>(value), reinterpret_cast<char16_t*>(at));
        length = static_cast<SQLLEN>(units * sizeof(SQLWCHAR));
        parameter.size = std::max<SQLULEN>(parameter.size, units);
      }
    }
  }
  return true;
}

bool OdbcConnection::SendArrays(SQLHSTMT statement, const RowBatch& batch, size_t from, size_t end,
                                BatchOutcome& outcome) {
  if (arrays_ == Arrays::kRefused) return false;
  // What the driver writes goes here; a status it leaves as it was says
  // nothing of its row.
  constexpr SQLUSMALLINT kUntold = 0xFFFF;
  rowStatus_.resize(batch.rows);
  struct OneSetAgain {
    SQLHSTMT statement;
    ~OneSetAgain() {
      SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
      SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
      SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
    }
  };
  for (size_t first = from; first < end;) {
    // The array goes on from the row after a refused one.
    const size_t rows = end - first;
    if (!TakesArrays(statement, rows)) {
      if (first == from) return false;
      SendRows(statement, batch, first, end, outcome);
      return true;
    }
    OneSetAgain reset{statement};
    std::fill(rowStatus_.begin(), rowStatus_.begin() + static_cast<std::ptrdiff_t>(rows), kUntold);
    processed_ = rows + 1;
    const bool statuses =
        SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, rowStatus_.data(), 0));
    const bool counted =
        SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed_, 0));
    for (size_t i = 0; i < parameters_.size(); ++i) {
      ParameterColumn& parameter = parameters_[i];
      Check(SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                             parameter.cType, parameter.sqlType, parameter.size, 0,
                             parameter.data.data() + first * static_cast<size_t>(parameter.width),
                             parameter.width, parameter.lengths.data() + first),
            SQL_HANDLE_STMT, statement);
    }
    const SQLRETURN result = SQLExecute(statement);
    const bool failed = !SQL_SUCCEEDED(result) && result != SQL_NO_DATA;
    bool anyRefused = failed;
    for (size_t row = 0; statuses && !anyRefused && row < rows; ++row) {
      anyRefused = rowStatus_[row] == SQL_PARAM_ERROR;
    }
    if (!anyRefused) {
      SQLFreeStmt(statement, SQL_CLOSE);
      return true;
    }
    Diagnostic diagnostic = Diagnose(SQL_HANDLE_STMT, statement);
    SQLFreeStmt(statement, SQL_CLOSE);
    if (!IsRefusal(diagnostic)) Raise(diagnostic);
    if (refusalAbortsTransaction_) {
      outcome.failedWhole = true;
      return true;
    }
    // Where the statuses tell, the driver went on past refused rows up to
    // the last it reports, and the rows it says are in are in; a driver
    // that undid the whole array marks every row refused, which tells
    // nothing. The SQLite driver tells none and stops at the refused row,
    // whose index it gives as the count of rows processed.
    size_t next = rows;
    while (next > 0 && statuses &&
           (rowStatus_[next - 1] == kUntold || rowStatus_[next - 1] == SQL_PARAM_UNUSED)) {
      --next;
    }
    const auto in = [&](size_t row) {
      return rowStatus_[row] == SQL_PARAM_SUCCESS || rowStatus_[row] == SQL_PARAM_SUCCESS_WITH_INFO;
    };
    size_t stored = 0;
    for (size_t row = 0; statuses && row < next; ++row) stored += in(row) ? 1 : 0;
    if (rows == 1) {
      outcome.refused.push_back(first);
      next = 1;
    } else if (stored > 0) {
      for (size_t row = 0; row < next; ++row) {
        if (!in(row)) outcome.refused.push_back(first + row);
      }
    } else if ((!statuses || next == 0) && sqlite_ && counted && processed_ < rows) {
      outcome.refused.push_back(first + processed_);
      next = processed_ + 1;
    } else {
      // Which rows are in is unknown: the transaction is redone row by row.
      outcome.failedWhole = true;
      return true;
    }
    first += next;
  }
  return true;
}

void OdbcConnection::SendRows(SQLHSTMT statement, const RowBatch& batch, size_t first, size_t end,
                              BatchOutcome& outcome) {
  const TableSchema& table = batch.table->schema;
  const size_t count = batch.columns.size();
  Parameters buffers;
  for (size_t row = first; row < end; ++row) {
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
      return;
    }
    outcome.refused.push_back(row);
  }
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
