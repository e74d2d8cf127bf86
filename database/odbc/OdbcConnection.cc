#include "database/odbc/OdbcConnection.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/Errors.h"
#include "base/Masking.h"
#include "base/NameFolding.h"
#include "base/Text.h"
#include "database/ConnectionString.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/odbc/OdbcText.h"

namespace viruzedi {
namespace {

// The SQLite driver's own codes, given with SQLSTATE HY000: a constraint
// refused the row; the database is busy or locked.
constexpr SQLINTEGER kSqliteConstraint = 19;
constexpr SQLINTEGER kSqliteBusy = 5;
constexpr SQLINTEGER kSqliteLocked = 6;

SQLULEN AutocommitOf(bool on) {
  return static_cast<SQLULEN>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF);
}

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
  SQLRETURN result =
      SQLNativeSqlW(handle_, Wide(probe), static_cast<SQLINTEGER>(probe.size()), back, 16, &length);
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
  postgresql_ = EqualsIgnoreCase(dbms_, "PostgreSQL");
  refusalAbortsTransaction_ = postgresql_;
  // A lock wait of 0 would wait for ever; the shortest one is 1 ms.
  long long milliseconds = std::max<long long>(1, busyTimeout.count());
  if (postgresql_) {
    Query("SET lock_timeout = " + std::to_string(milliseconds));
    Query("SET synchronous_commit = on");
  } else if (sqlite_) {
    // SQLite takes 32766 parameters in a statement from 3.32 on, 999 before.
    int major = 0;
    int minor = 0;
    if (std::sscanf(InfoText(SQL_DBMS_VER).c_str(), "%d.%d", &major, &minor) == 2 &&
        (major > 3 || (major == 3 && minor >= 32))) {
      sqliteParameters_ = 32766;
    }
    // The driver leaves SQLite's own default, which in WAL mode may lose the
    // last commits to a power cut: a received file is archived and a reader
    // erased once its rows are committed, so a commit must be on disk.
    Query("PRAGMA synchronous = FULL");
  } else {
    queryTimeout_ = static_cast<SQLULEN>((milliseconds + 999) / 1000);
  }
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
      message.resize(std::min<size_t>(message.size() - 1,
                                      static_cast<size_t>(std::max<SQLSMALLINT>(0, length))));
      diagnostic.message = Utf8OfUtf16(message);
    } else {
      SQLCHAR state[6] = {};
      std::string message(1024, '\0');
      result = SQLGetDiagRecA(type, handle, record, state, &diagnostic.native, Narrow(message),
                              static_cast<SQLSMALLINT>(message.size()), &length);
      if (!SQL_SUCCEEDED(result)) break;
      diagnostic.state = reinterpret_cast<const char*>(state);
      message.resize(std::min<size_t>(message.size() - 1,
                                      static_cast<size_t>(std::max<SQLSMALLINT>(0, length))));
      diagnostic.message = message;
    }
    if (record == 1) first = diagnostic;
    // A driver's message may end its statement with a semicolon.
    std::string line = OneLine(diagnostic.message);
    while (!line.empty() && (line.back() == ' ' || line.back() == ';')) line.pop_back();
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

OdbcStatement OdbcConnection::Query(const std::string& sql) {
  OdbcStatement statement = NewStatement();
  Check(ExecDirect(statement.get(), sql), SQL_HANDLE_STMT, statement.get());
  return statement;
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

bool OdbcConnection::StillServes(const std::string&, bool) {
  if (broken_) return false;
  SQLUINTEGER dead = SQL_CD_FALSE;
  if (SQL_SUCCEEDED(SQLGetConnectAttr(handle_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))) {
    return dead != SQL_CD_TRUE;
  }
  return true;
}

const SqlTypes& OdbcConnection::LedgerTypes() const {
  return sqlite_ ? kSqliteTypes : postgresql_ ? kPostgresTypes : kOtherLedgerTypes;
}

void OdbcConnection::LockTableCreation() {
  if (postgresql_) Query(kPostgresCreationLock);
}

void OdbcConnection::EndTransaction(SQLSMALLINT completion) {
  Check(SQLEndTran(SQL_HANDLE_DBC, handle_, completion), SQL_HANDLE_DBC, handle_);
}

void OdbcConnection::Begin() {
  Check(SQLSetConnectAttr(handle_, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(AutocommitOf(false)), 0),
        SQL_HANDLE_DBC, handle_);
  inTransaction_ = true;
  try {
    StartTransaction();
  } catch (...) {
    Rollback();
    throw;
  }
}

void OdbcConnection::StartTransaction() {
  // The PostgreSQL driver begins the transaction with the first statement
  // sent, and rolls back the whole of it when the first statement after
  // that one fails, though the application's own savepoint stands between:
  // a row refused there would take the savepoint with it. A first statement
  // of no consequence begins it, so that every later one is the driver's
  // to roll back alone.
  if (postgresql_) Query("SELECT 1");
}

void OdbcConnection::Commit() {
  if (!inTransaction_) return;
  SQLRETURN result = SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_COMMIT);
  if (!SQL_SUCCEEDED(result)) {
    Diagnostic diagnostic = Diagnose(SQL_HANDLE_DBC, handle_);
    Rollback();
    Raise(diagnostic);
  }
  inTransaction_ = false;
  SQLSetConnectAttr(handle_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(AutocommitOf(true)),
                    0);
}

void OdbcConnection::Rollback() noexcept {
  if (!inTransaction_) return;
  inTransaction_ = false;
  if (broken_) return;
  SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
  SQLSetConnectAttr(handle_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(AutocommitOf(true)),
                    0);
}

void OdbcConnection::RestartTransaction() {
  // The refusal may have ended the transaction on the server, or (as the
  // driver chooses) only the row: either way it is rolled back, and with
  // autocommit still off it is begun anew.
  EndTransaction(SQL_ROLLBACK);
  StartTransaction();
}

}  // namespace viruzedi
