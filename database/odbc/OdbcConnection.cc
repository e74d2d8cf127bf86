#include "database/odbc/OdbcConnection.h"

#include <algorithm>
#include <cstring>

#include "base/Errors.h"
#include "base/Masking.h"
#include "base/NameFolding.h"
#include "base/Text.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/LedgerTable.h"
#include "database/ConnectionString.h"
#include "database/odbc/OdbcText.h"

namespace viruzedi {
namespace {

// A cap on the prepared INSERTs kept, as for the other engines: the imports
// use a handful of column lists.
constexpr size_t kMostCachedInserts = 64;

// The SQLite driver's own codes, given with SQLSTATE HY000: a constraint
// refused the row; the database is busy or locked.
constexpr SQLINTEGER kSqliteConstraint = 19;
constexpr SQLINTEGER kSqliteBusy = 5;
constexpr SQLINTEGER kSqliteLocked = 6;

SQLWCHAR* Wide(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }
SQLCHAR* Narrow(std::string& text) { return reinterpret_cast<SQLCHAR*>(text.data()); }

// One line: line ends and runs of blanks become single spaces.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
    if (!blank) {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == ';')) line.pop_back();
  return line;
}

bool IsIntegerType(SQLSMALLINT type) {
  return type == SQL_SMALLINT || type == SQL_INTEGER || type == SQL_BIGINT || type == SQL_TINYINT;
}

// The column kinds of the driver's SQL data types.
void SetKind(ColumnSchema& column, SQLSMALLINT type, SQLLEN size, bool sqlite) {
  switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      column.kind = ColumnKind::Integer;
      // SQLite keeps any 64-bit integer whatever the declared type.
      if (sqlite) break;
      if (type == SQL_TINYINT) {
        // Signed on some systems, unsigned on others: the driver refuses the rest.
        column.minimum = -128;
        column.maximum = 255;
      } else if (type == SQL_SMALLINT) {
        column.minimum = -32768;
        column.maximum = 32767;
      } else if (type == SQL_INTEGER) {
        column.minimum = INT32_MIN;
        column.maximum = INT32_MAX;
      }
      break;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: column.kind = ColumnKind::Number; break;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP: column.kind = ColumnKind::Date; break;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
      column.kind = ColumnKind::Text;
      // SQLite takes any length whatever the declared one.
      if (!sqlite && size > 0) column.maxLength = static_cast<size_t>(size);
      break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: column.kind = ColumnKind::Text; break;
    default:
      column.kind = ColumnKind::Any;
      column.onlyNull = true;
  }
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

OdbcStatement::~OdbcStatement() {
  if (handle_ != nullptr) SQLFreeHandle(SQL_HANDLE_STMT, handle_);
}

OdbcStatement& OdbcStatement::operator=(OdbcStatement&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) SQLFreeHandle(SQL_HANDLE_STMT, handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

OdbcConnection::OdbcConnection(std::string connection, SQLHENV environment, SQLHDBC handle)
    : connection_(std::move(connection)),
      shown_(MaskPasswords(connection_)),
      environment_(environment),
      handle_(handle) {}

OdbcConnection::~OdbcConnection() {
  inserts_.clear();
  if (connected_) {
    if (inTransaction_) SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
    SQLDisconnect(handle_);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, handle_);
  SQLFreeHandle(SQL_HANDLE_ENV, environment_);
}

std::unique_ptr<OdbcConnection> OdbcConnection::Connect(const std::string& connection,
                                                        std::chrono::milliseconds busyTimeout) {
  const std::string shown = MaskPasswords(connection);
  SQLHENV environment = nullptr;
  SQLHDBC handle = nullptr;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) {
    RaiseDatabaseError(kDbCannotConnect, "'" + shown + "' (nessun gestore ODBC)");
  }
  SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment, &handle))) {
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    RaiseDatabaseError(kDbCannotConnect, "'" + shown + "' (nessun gestore ODBC)");
  }
  std::unique_ptr<OdbcConnection> made(new OdbcConnection(connection, environment, handle));
  auto connect = [&](bool wide) {
    SQLRETURN result;
    if (wide) {
      std::u16string text = Utf16OfUtf8(connection);
      result = SQLDriverConnectW(handle, nullptr, Wide(text), SQL_NTS, nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT);
    } else {
      std::string text = connection;
      result = SQLDriverConnectA(handle, nullptr, Narrow(text), SQL_NTS, nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT);
    }
    if (!SQL_SUCCEEDED(result)) {
      Diagnostic reason = made->Diagnose(SQL_HANDLE_DBC, handle);
      std::string text = reason.message.empty() ? reason.state : reason.message;
      RaiseDatabaseError(kDbCannotConnect, "'" + shown + "' (" + text + ")");
    }
    made->connected_ = true;
  };
  connect(true);
#if defined(_WIN32)
  // Windows' driver managers take wide text for every driver, and Wine's
  // has no narrow calls at all.
  made->wide_ = true;
#else
  made->wide_ = made->WideCallsKeepText();
#endif
  bool ascii = std::all_of(connection.begin(), connection.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!made->wide_ && !ascii) {
    // The string itself went to the driver through that locale: again, as
    // the driver reads it.
    SQLDisconnect(handle);
    made->connected_ = false;
    connect(false);
  }
  made->ReadSession(busyTimeout);
  if (made->sqlite_ && !ConnectionStringAttribute(connection, "Timeout")) {
    // The SQLite driver waits for a lock as long as its Timeout= says (the
    // user's word when written), and keeps its own wait whatever the
    // session asks later: without one, the engine's busy timeout is given
    // to a connection made anew.
    std::string timed = connection;
    if (!timed.empty() && timed.back() != ';') timed += ';';
    timed += "Timeout=" + std::to_string(std::max<long long>(1, busyTimeout.count()));
    made.reset();
    made = Connect(timed, busyTimeout);
    made->shown_ = shown;
  }
  return made;
}

bool OdbcConnection::WideCallsKeepText() {
  // A character that no 8-bit code page short of UTF-8 holds besides the
  // euro sign's: the driver gives the text back as it was received.
  std::u16string probe = u"'\u20AC\u0141'";
  SQLWCHAR back[16] = {};
  SQLINTEGER length = 0;
  SQLRETURN result = SQLNativeSqlW(handle_, Wide(probe), static_cast<SQLINTEGER>(probe.size()),
                                   back, 16, &length);
  if (!SQL_SUCCEEDED(result)) return true;  // nothing to tell: as ODBC means it
  return length == static_cast<SQLINTEGER>(probe.size()) &&
         std::equal(probe.begin(), probe.end(), back,
                    [](char16_t a, SQLWCHAR b) { return a == static_cast<char16_t>(b); });
}

// The wide call on every system: Wine's driver manager has no narrow
// SQLGetInfo, and unixODBC turns a narrow driver's answer into wide text.
std::string OdbcConnection::InfoText(SQLUSMALLINT info) {
  SQLWCHAR buffer[256] = {};
  SQLSMALLINT bytes = 0;
  if (!SQL_SUCCEEDED(SQLGetInfoW(handle_, info, buffer, sizeof buffer, &bytes))) return "";
  std::u16string text;
  for (size_t i = 0; i < std::size(buffer) && buffer[i] != 0; ++i) {
    text.push_back(static_cast<char16_t>(buffer[i]));
  }
  return Utf8OfUtf16(text);
}

void OdbcConnection::ReadSession(std::chrono::milliseconds busyTimeout) {
  dbms_ = InfoText(SQL_DBMS_NAME);
  quote_ = InfoText(SQL_IDENTIFIER_QUOTE_CHAR);
  if (quote_ == " ") quote_.clear();
  SQLUSMALLINT identifierCase = 0;
  if (SQL_SUCCEEDED(SQLGetInfoW(handle_, SQL_IDENTIFIER_CASE, &identifierCase, 0, nullptr))) {
    identifierCase_ = identifierCase;
  }
  SQLUINTEGER schemaUsage = 0;
  if (SQL_SUCCEEDED(SQLGetInfoW(handle_, SQL_SCHEMA_USAGE, &schemaUsage, 0, nullptr))) {
    schemasInStatements_ = (schemaUsage & SQL_SU_DML_STATEMENTS) != 0;
  }
  sqlite_ = StartsWithIgnoreCase(dbms_, "SQLite");
  const bool postgresql = EqualsIgnoreCase(dbms_, "PostgreSQL");
  refusalAbortsTransaction_ = postgresql;
  // A lock wait of 0 would wait for ever; the shortest one is 1 ms.
  long long milliseconds = std::max<long long>(1, busyTimeout.count());
  if (postgresql) {
    Exec("SET lock_timeout = " + std::to_string(milliseconds));
    Exec("SET synchronous_commit = on");
  } else if (sqlite_) {
    // The driver leaves SQLite's own default, which in WAL mode may lose the
    // last commits to a power cut: a received file is archived and a reader
    // erased once its rows are committed, so a commit must be on disk.
    Exec("PRAGMA synchronous = FULL");
  } else {
    queryTimeout_ = static_cast<SQLULEN>((milliseconds + 999) / 1000);
  }
}

bool OdbcConnection::Alive() {
  if (broken_) return false;
  SQLUINTEGER dead = SQL_CD_FALSE;
  if (SQL_SUCCEEDED(SQLGetConnectAttr(handle_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))) {
    return dead != SQL_CD_TRUE;
  }
  return true;
}

OdbcConnection::Diagnostic OdbcConnection::Diagnose(SQLSMALLINT type, SQLHANDLE handle) {
  Diagnostic first;
  std::string messages;
  for (SQLSMALLINT record = 1; record <= 4; ++record) {
    Diagnostic diagnostic;
    SQLSMALLINT length = 0;
    SQLRETURN result;
    if (wide_) {
      SQLWCHAR state[6] = {};
      std::u16string message(1024, u'\0');
      result = SQLGetDiagRecW(type, handle, record, state, &diagnostic.native,
                              reinterpret_cast<SQLWCHAR*>(message.data()),
                              static_cast<SQLSMALLINT>(message.size()), &length);
      if (!SQL_SUCCEEDED(result)) break;
      for (SQLWCHAR c : state) {
        if (c != 0) diagnostic.state += static_cast<char>(c);
      }
      message.resize(std::min<size_t>(message.size() - 1, static_cast<size_t>(std::max<SQLSMALLINT>(0, length))));
      diagnostic.message = Utf8OfUtf16(message);
    } else {
      SQLCHAR state[6] = {};
      std::string message(1024, '\0');
      result = SQLGetDiagRecA(type, handle, record, state, &diagnostic.native, Narrow(message),
                              static_cast<SQLSMALLINT>(message.size()), &length);
      if (!SQL_SUCCEEDED(result)) break;
      diagnostic.state = reinterpret_cast<const char*>(state);
      message.resize(std::min<size_t>(message.size() - 1, static_cast<size_t>(std::max<SQLSMALLINT>(0, length))));
      diagnostic.message = message;
    }
    if (record == 1) first = diagnostic;
    std::string line = OneLine(diagnostic.message);
    if (!line.empty()) messages += (messages.empty() ? "" : "; ") + line;
  }
  first.message = MaskConnectionPasswords(messages, connection_);
  return first;
}

bool OdbcConnection::IsRefusal(const Diagnostic& diagnostic) const {
  if (diagnostic.state.rfind("23", 0) == 0) return true;
  return sqlite_ && diagnostic.state == "HY000" && diagnostic.native == kSqliteConstraint;
}

void OdbcConnection::Raise(const Diagnostic& diagnostic) {
  const std::string& state = diagnostic.state;
  const std::string& message = diagnostic.message.empty() ? state : diagnostic.message;
  const std::string quoted = "'" + shown_ + "'";
  if (state.rfind("08", 0) == 0) {
    broken_ = true;
    RaiseDatabaseError(kDbConnectionLost, quoted + " (" + message + ")");
  }
  if (state == "HYT00" || state == "HYT01" || state == "40001" || state == "40P01" ||
      state == "55P03") {
    RaiseDatabaseError(kDbLocked, shown_);
  }
  if (state == "42501") RaiseDatabaseError(kDbCannotOpen, shown_);
  if (state == "42S02") RaiseDatabaseError(kDbTableNotFound, message);
  if (state == "42S22") RaiseDatabaseError(kDbUnknownColumn, message);
  if (state == "22001") RaiseDatabaseError(kDbTextTooLong, message);
  if (state == "22003") RaiseDatabaseError(kDbNumberOutOfRange, message);
  if (sqlite_ && (diagnostic.native == kSqliteBusy || diagnostic.native == kSqliteLocked)) {
    RaiseDatabaseError(kDbLocked, shown_);
  }
  RaiseDatabaseError(kDbOtherError, message);
}

void OdbcConnection::Fail(SQLSMALLINT type, SQLHANDLE handle) { Raise(Diagnose(type, handle)); }

void OdbcConnection::Check(SQLRETURN result, SQLSMALLINT type, SQLHANDLE handle) {
  if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA) Fail(type, handle);
}

OdbcStatement OdbcConnection::NewStatement() {
  SQLHSTMT raw = nullptr;
  Check(SQLAllocHandle(SQL_HANDLE_STMT, handle_, &raw), SQL_HANDLE_DBC, handle_);
  OdbcStatement statement(raw);
  if (queryTimeout_ > 0) {
    SQLSetStmtAttr(raw, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(queryTimeout_), 0);
  }
  return statement;
}

SQLRETURN OdbcConnection::Prepare(SQLHSTMT statement, const std::string& sql) {
  if (wide_) {
    std::u16string text = Utf16OfUtf8(sql);
    return SQLPrepareW(statement, Wide(text), static_cast<SQLINTEGER>(text.size()));
  }
  std::string text = sql;
  return SQLPrepareA(statement, Narrow(text), static_cast<SQLINTEGER>(text.size()));
}

SQLRETURN OdbcConnection::ExecDirect(SQLHSTMT statement, const std::string& sql) {
  if (wide_) {
    std::u16string text = Utf16OfUtf8(sql);
    return SQLExecDirectW(statement, Wide(text), static_cast<SQLINTEGER>(text.size()));
  }
  std::string text = sql;
  return SQLExecDirectA(statement, Narrow(text), static_cast<SQLINTEGER>(text.size()));
}

void OdbcConnection::Exec(const std::string& sql) { Query(sql); }

OdbcStatement OdbcConnection::Query(const std::string& sql) {
  OdbcStatement statement = NewStatement();
  Check(ExecDirect(statement.get(), sql), SQL_HANDLE_STMT, statement.get());
  return statement;
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

void OdbcConnection::CreateLedgerTable() {
  if (HasTable(kLedgerTable)) return;
  const bool sqlite = dbms_ == "SQLite";
  const bool postgres = dbms_ == "PostgreSQL";
  const LedgerTypes& types =
      sqlite ? kSqliteLedgerTypes : postgres ? kPostgresLedgerTypes : kOtherLedgerTypes;
  Begin();
  try {
    if (postgres) Exec(kPostgresCreationLock);
    // Without IF NOT EXISTS, another program may have made it meanwhile:
    // its CREATE then fails here, and the table is there all the same.
    Exec(LedgerTableSql(types));
    if (types.indexIfMissing) Exec(LedgerIndexSql());
    Commit();
  } catch (...) {
    Rollback();
    if (!HasTable(kLedgerTable)) throw;
  }
}

bool OdbcConnection::Text(SQLHSTMT statement, SQLUSMALLINT column, std::string& text) {
  // Wide cells: the SQLite driver converts its UTF-8 itself, whatever the
  // locale; the text comes in pieces when longer than the buffer.
  std::u16string all;
  SQLWCHAR buffer[512];
  while (true) {
    SQLLEN length = 0;
    SQLRETURN result = SQLGetData(statement, column, SQL_C_WCHAR, buffer, sizeof buffer, &length);
    if (result == SQL_NO_DATA) break;
    Check(result, SQL_HANDLE_STMT, statement);
    if (length == SQL_NULL_DATA) return false;
    size_t units = sizeof buffer / sizeof buffer[0] - 1;
    if (length != SQL_NO_TOTAL && static_cast<size_t>(length) / sizeof(SQLWCHAR) < units) {
      units = static_cast<size_t>(length) / sizeof(SQLWCHAR);
    }
    for (size_t i = 0; i < units; ++i) all += static_cast<char16_t>(buffer[i]);
    if (result == SQL_SUCCESS) break;
  }
  text = Utf8OfUtf16(all);
  return true;
}

std::string OdbcConnection::Quote(const std::string& name) const {
  if (quote_.empty()) return name;
  std::string quoted = quote_;
  for (char c : name) {
    quoted += c;
    if (quote_.size() == 1 && c == quote_[0]) quoted += c;
  }
  // A driver that opens with '[' closes with ']'.
  return quoted + (quote_ == "[" ? "]" : quote_);
}

std::string OdbcConnection::StoredCase(const std::string& name) const {
  if (identifierCase_ == SQL_IC_LOWER) return FoldName(name);
  if (identifierCase_ == SQL_IC_UPPER) {
    std::string upper = name;
    for (char& c : upper) c = UpperAscii(c);
    return upper;
  }
  return name;
}

OdbcConnection::KnownTable* OdbcConnection::FindTable(const std::string& name) {
  auto asked = asked_.find(name);
  if (asked != asked_.end()) return &tables_[asked->second];
  OdbcStatement statement = NewStatement();
  SQLRETURN result;
  if (wide_) {
    std::u16string types = u"TABLE,VIEW";
    result = SQLTablesW(statement.get(), nullptr, 0, nullptr, 0, nullptr, 0, Wide(types), SQL_NTS);
  } else {
    std::string types = "TABLE,VIEW";
    result = SQLTablesA(statement.get(), nullptr, 0, nullptr, 0, nullptr, 0, Narrow(types), SQL_NTS);
  }
  Check(result, SQL_HANDLE_STMT, statement.get());
  struct Found {
    std::string catalog, schema, name;
  };
  std::vector<Found> exact;
  std::vector<Found> folded;
  const std::string wanted = FoldName(name);
  while (true) {
    result = SQLFetch(statement.get());
    if (result == SQL_NO_DATA) break;
    Check(result, SQL_HANDLE_STMT, statement.get());
    Found found;
    Text(statement.get(), 1, found.catalog);
    Text(statement.get(), 2, found.schema);
    Text(statement.get(), 3, found.name);
    if (found.name == name) exact.push_back(found);
    if (FoldName(found.name) == wanted) folded.push_back(found);
  }
  // An exact match first (the first schema the catalog lists); else the
  // only one in any case: two that differ only in case, neither named
  // exactly, leave none meant.
  const Found* chosen = !exact.empty() ? &exact.front() : folded.size() == 1 ? &folded.front() : nullptr;
  if (chosen == nullptr) return nullptr;
  for (size_t i = 0; i < tables_.size(); ++i) {
    const KnownTable& known = tables_[i];
    if (asked_.end() == std::find_if(asked_.begin(), asked_.end(),
                                     [&](const auto& entry) { return entry.second == i; })) {
      continue;  // forgotten
    }
    if (known.schema->name == chosen->name && known.schemaName == chosen->schema &&
        known.catalog == chosen->catalog) {
      asked_[name] = i;
      return &tables_[i];
    }
  }
  KnownTable table;
  table.schema = std::make_unique<TableSchema>();
  table.schema->name = chosen->name;
  table.catalog = chosen->catalog;
  table.schemaName = chosen->schema;
  table.qualified = (schemasInStatements_ && !chosen->schema.empty() ? Quote(chosen->schema) + "." : "") +
                    Quote(chosen->name);
  ReadColumns(table);
  tables_.push_back(std::move(table));
  asked_[name] = tables_.size() - 1;
  return &tables_.back();
}

void OdbcConnection::ReadColumns(KnownTable& table) {
  table.schema->columns.clear();
  table.types.clear();
  OdbcStatement statement = NewStatement();
  SQLRETURN result;
  // The name is a search pattern in which '_' stands for any character:
  // the rows of other tables that it matches are left out below.
  if (wide_) {
    std::u16string catalog = Utf16OfUtf8(table.catalog);
    std::u16string schema = Utf16OfUtf8(table.schemaName);
    std::u16string name = Utf16OfUtf8(table.schema->name);
    result = SQLColumnsW(statement.get(), catalog.empty() ? nullptr : Wide(catalog), SQL_NTS,
                         schema.empty() ? nullptr : Wide(schema), SQL_NTS, Wide(name), SQL_NTS,
                         nullptr, 0);
  } else {
    std::string catalog = table.catalog;
    std::string schema = table.schemaName;
    std::string name = table.schema->name;
    result = SQLColumnsA(statement.get(), catalog.empty() ? nullptr : Narrow(catalog), SQL_NTS,
                         schema.empty() ? nullptr : Narrow(schema), SQL_NTS, Narrow(name), SQL_NTS,
                         nullptr, 0);
  }
  Check(result, SQL_HANDLE_STMT, statement.get());
  while (true) {
    result = SQLFetch(statement.get());
    if (result == SQL_NO_DATA) break;
    Check(result, SQL_HANDLE_STMT, statement.get());
    std::string tableName;
    Text(statement.get(), 3, tableName);
    if (tableName != table.schema->name) continue;
    ColumnSchema column;
    Text(statement.get(), 4, column.name);
    SQLSMALLINT type = 0;
    SQLLEN indicator = 0;
    Check(SQLGetData(statement.get(), 5, SQL_C_SSHORT, &type, 0, &indicator), SQL_HANDLE_STMT,
          statement.get());
    Text(statement.get(), 6, column.declaredType);
    SQLINTEGER size = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement.get(), 7, SQL_C_SLONG, &size, 0, &indicator)) ||
        indicator == SQL_NULL_DATA) {
      size = 0;
    }
    SetKind(column, type, size, sqlite_);
    table.schema->columns.push_back(std::move(column));
    table.types.push_back(type);
  }
}

void OdbcConnection::ForgetChangedTables() {
  if (inTransaction_) return;
  std::vector<std::string> changed;
  for (const auto& [name, index] : asked_) {
    KnownTable& known = tables_[index];
    KnownTable fresh;
    fresh.schema = std::make_unique<TableSchema>();
    fresh.schema->name = known.schema->name;
    fresh.catalog = known.catalog;
    fresh.schemaName = known.schemaName;
    ReadColumns(fresh);
    bool same = fresh.types == known.types &&
                fresh.schema->columns.size() == known.schema->columns.size();
    for (size_t i = 0; same && i < fresh.schema->columns.size(); ++i) {
      same = fresh.schema->columns[i].name == known.schema->columns[i].name &&
             fresh.schema->columns[i].declaredType == known.schema->columns[i].declaredType;
    }
    if (!same) changed.push_back(name);
  }
  // The descriptions handed out stay where they are for the sessions that
  // hold them; the next lookup reads the table anew.
  for (const std::string& name : changed) asked_.erase(name);
}

const TableSchema& OdbcConnection::Table(const std::string& name) {
  KnownTable* table = FindTable(name);
  if (table == nullptr) RaiseDatabaseError(kDbTableNotFound, name);
  return *table->schema;
}

bool OdbcConnection::HasTable(const std::string& name) { return FindTable(name) != nullptr; }

OdbcConnection::KnownTable& OdbcConnection::Own(const TableSchema& table) {
  for (const auto& [name, index] : asked_) {
    if (tables_[index].schema.get() == &table) return tables_[index];
  }
  KnownTable* found = FindTable(table.name);
  if (found == nullptr) RaiseDatabaseError(kDbTableNotFound, table.name);
  return *found;
}

const std::string& OdbcConnection::QualifiedName(const TableSchema& table) {
  return Own(table).qualified;
}

const std::vector<SQLSMALLINT>& OdbcConnection::ColumnTypes(const TableSchema& table) {
  return Own(table).types;
}

OdbcStatement& OdbcConnection::PreparedInsert(KnownTable& table, const TableSchema& asked,
                                              const std::vector<size_t>& columns) {
  // Only names read from the catalog reach the SQL text, each quoted as an
  // identifier; the values are parameters.
  std::string sql = "INSERT INTO " + table.qualified;
  if (columns.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names;
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i) {
      names += (i == 0 ? "" : ", ") + Quote(asked.columns[columns[i]].name);
      marks += i == 0 ? "?" : ", ?";
    }
    sql += " (" + names + ") VALUES (" + marks + ")";
  }
  auto cached = inserts_.find(sql);
  if (cached != inserts_.end()) return cached->second;
  if (inserts_.size() >= kMostCachedInserts) inserts_.clear();
  OdbcStatement statement = NewStatement();
  Check(Prepare(statement.get(), sql), SQL_HANDLE_STMT, statement.get());
  return inserts_.emplace(std::move(sql), std::move(statement)).first->second;
}

OdbcConnection::Outcome OdbcConnection::Send(const TableSchema& table,
                                             const std::vector<size_t>& columns,
                                             const std::vector<BoundValue>& values) {
  KnownTable& own = Own(table);
  SQLHSTMT statement = PreparedInsert(own, table, columns).get();
  Parameters buffers;
  // Reserved up front: the driver keeps pointers into them until SQLExecute.
  buffers.texts.reserve(values.size());
  buffers.dates.reserve(values.size());
  buffers.integers.reserve(values.size());
  buffers.reals.reserve(values.size());
  buffers.lengths.resize(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const ColumnSchema& column = table.columns[columns[i]];
    // The driver's own type for the column where it is known by that name.
    SQLSMALLINT columnType = SQL_VARCHAR;
    for (size_t k = 0; k < own.schema->columns.size(); ++k) {
      if (own.schema->columns[k].name == column.name) columnType = own.types[k];
    }
    SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
    SQLLEN& length = buffers.lengths[i];
    SQLRETURN result;
    const BoundValue& value = values[i];
    if (std::holds_alternative<std::monostate>(value)) {
      length = SQL_NULL_DATA;
      result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, columnType, 1, 0,
                                nullptr, 0, &length);
    } else if (const int64_t* integer = std::get_if<int64_t>(&value)) {
      buffers.integers.push_back(*integer);
      length = 0;
      result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_SBIGINT,
                                IsIntegerType(columnType) ? columnType : SQL_BIGINT, 19, 0,
                                &buffers.integers.back(), 0, &length);
    } else if (const double* real = std::get_if<double>(&value)) {
      buffers.reals.push_back(*real);
      length = 0;
      result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                                &buffers.reals.back(), 0, &length);
    } else if (column.kind == ColumnKind::Date) {
      buffers.dates.push_back(DateOf(std::get<std::string>(value)));
      length = 0;
      result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_TYPE_DATE, SQL_TYPE_DATE,
                                10, 0, &buffers.dates.back(), 0, &length);
    } else {
      buffers.texts.push_back(Utf16OfUtf8(std::get<std::string>(value)));
      std::u16string& text = buffers.texts.back();
      length = static_cast<SQLLEN>(text.size() * sizeof(SQLWCHAR));
      result = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                std::max<SQLULEN>(1, text.size()), 0, Wide(text), length, &length);
    }
    Check(result, SQL_HANDLE_STMT, statement);
  }
  SQLRETURN result = SQLExecute(statement);
  if (SQL_SUCCEEDED(result) || result == SQL_NO_DATA) {
    SQLFreeStmt(statement, SQL_CLOSE);
    return Outcome::Stored;
  }
  Diagnostic diagnostic = Diagnose(SQL_HANDLE_STMT, statement);
  SQLFreeStmt(statement, SQL_CLOSE);
  if (IsRefusal(diagnostic)) return Outcome::Refused;
  Raise(diagnostic);
}

OdbcConnection::Outcome OdbcConnection::SendInSavepoint(const TableSchema& table,
                                                        const std::vector<size_t>& columns,
                                                        const std::vector<BoundValue>& values) {
  Exec("SAVEPOINT viruzedi_row");
  Outcome outcome = Send(table, columns, values);
  Exec(outcome == Outcome::Stored ? "RELEASE SAVEPOINT viruzedi_row"
                                  : "ROLLBACK TO SAVEPOINT viruzedi_row");
  return outcome;
}

bool OdbcConnection::Insert(const TableSchema& table, const std::vector<size_t>& columns,
                            const std::vector<BoundValue>& values) {
  for (size_t i = 0; i < columns.size(); ++i) {
    CheckColumnLimits(table.columns[columns[i]], values[i]);
  }
  if (!inTransaction_ || !refusalAbortsTransaction_) {
    return Send(table, columns, values) == Outcome::Stored;
  }
  if (savepointPerRow_) return SendInSavepoint(table, columns, values) == Outcome::Stored;
  if (Send(table, columns, values) == Outcome::Stored) {
    kept_.push_back({table.name, columns, values});
    return true;
  }
  // The refusal may have ended the transaction on the server, or (as the
  // driver chooses) only the row: either way it is begun anew with the
  // rows sent so far, and the rest goes row by row.
  Redo();
  return SendInSavepoint(table, columns, values) == Outcome::Stored;
}

void OdbcConnection::Redo() {
  EndTransaction(SQL_ROLLBACK);
  savepointPerRow_ = true;
  std::vector<KeptRow> rows = std::move(kept_);
  kept_.clear();
  for (const KeptRow& row : rows) {
    // Every kept row was stored once and counted so; if another session's
    // row now refuses it, the count would be wrong: the file waits.
    if (SendInSavepoint(Table(row.table), row.columns, row.values) == Outcome::Refused) {
      RaiseDatabaseError(kDbLocked, shown_);
    }
  }
}

void OdbcConnection::EndTransaction(SQLSMALLINT completion) {
  Check(SQLEndTran(SQL_HANDLE_DBC, handle_, completion), SQL_HANDLE_DBC, handle_);
}

void OdbcConnection::Begin() {
  if (inTransaction_) RaiseDatabaseError(kDbOtherError, "transazione già aperta");
  Check(SQLSetConnectAttr(handle_, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_OFF)), 0),
        SQL_HANDLE_DBC, handle_);
  inTransaction_ = true;
  savepointPerRow_ = false;
  kept_.clear();
}

void OdbcConnection::Commit() {
  if (!inTransaction_) return;
  savepointPerRow_ = false;
  kept_.clear();
  SQLRETURN result = SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_COMMIT);
  if (!SQL_SUCCEEDED(result)) {
    Diagnostic diagnostic = Diagnose(SQL_HANDLE_DBC, handle_);
    Rollback();
    Raise(diagnostic);
  }
  inTransaction_ = false;
  SQLSetConnectAttr(handle_, SQL_ATTR_AUTOCOMMIT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)), 0);
}

void OdbcConnection::Rollback() noexcept {
  if (!inTransaction_) return;
  inTransaction_ = false;
  savepointPerRow_ = false;
  kept_.clear();
  if (broken_) return;
  SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
  SQLSetConnectAttr(handle_, SQL_ATTR_AUTOCOMMIT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_ON)), 0);
}

}  // namespace viruzedi
