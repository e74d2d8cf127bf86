#include "database/postgresql/PgConnection.h"

#include <poll.h>

#include <charconv>
#include <cstring>

#include "base/Masking.h"
#include "base/NameFolding.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

// A cap on the prepared INSERTs kept, as for the file engine: the imports
// use a handful of column lists.
constexpr size_t kMostCachedInserts = 64;

// The version of each table of an array of oids, as its rows in the
// catalog: a changed table (a column added, dropped, renamed or retyped)
// has one of them replaced, so with a new xmin.
constexpr const char* kTableVersions =
    "SELECT c.oid::text, c.xmin::text || ':' || "
    "(SELECT string_agg(a.xmin::text, ',' ORDER BY a.attnum) FROM pg_catalog.pg_attribute a "
    "WHERE a.attrelid = c.oid AND a.attnum > 0) "
    "FROM pg_catalog.pg_class c WHERE c.oid = ANY ($1::oid[])";

// The server's notices (a ROLLBACK with nothing to roll back, ...) are no
// concern of the component's user.
void IgnoreNotice(void*, const char*) {}

// libpq's reason, on one line, with any password it might repeat masked:
// the URI's own password taken out wherever it appears.
std::string Reason(const char* message, const std::string& uri) {
  std::string reason = MaskPasswords(message == nullptr ? "" : message);
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(uri.c_str(), &error);
  if (error != nullptr) PQfreemem(error);
  if (options != nullptr) {
    for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
      if (std::strcmp(option->keyword, "password") != 0 || option->val == nullptr) continue;
      std::string password = option->val;
      if (password.empty()) continue;
      for (size_t at = reason.find(password); at != std::string::npos;
           at = reason.find(password, at + 3)) {
        reason.replace(at, password.size(), "***");
      }
    }
    PQconninfoFree(options);
  }
  // One line: libpq's line ends and indents become single spaces.
  std::string line;
  for (char c : reason) {
    bool blank = c == '\n' || c == '\t' || c == ' ';
    if (!blank) {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  if (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// A value as a text parameter in the form the server reads back exactly:
// integers in digits, numbers in the shortest form that gives the same
// double, dates and texts as they are.
std::string ParameterText(const BoundValue& value) {
  if (const int64_t* integer = std::get_if<int64_t>(&value)) return std::to_string(*integer);
  if (const double* real = std::get_if<double>(&value)) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, *real);
    return error == std::errc() ? std::string(buffer, end) : std::string("NaN");
  }
  return std::get<std::string>(value);
}

bool IsRefusal(const PGresult* result) {
  const char* state = result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_SQLSTATE);
  return state != nullptr && std::strncmp(state, "23", 2) == 0;
}

bool Succeeded(const PGresult* result) {
  ExecStatusType status = PQresultStatus(result);
  return result != nullptr && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
}

// The column kinds of the server's types, by the type's name in the catalog.
void SetKind(ColumnSchema& column, const std::string& type, int modifier) {
  if (type == "int2" || type == "int4" || type == "int8") {
    column.kind = ColumnKind::Integer;
    if (type == "int2") {
      column.minimum = -32768;
      column.maximum = 32767;
    } else if (type == "int4") {
      column.minimum = INT32_MIN;
      column.maximum = INT32_MAX;
    }
  } else if (type == "numeric" || type == "float4" || type == "float8") {
    column.kind = ColumnKind::Number;
    column.singlePrecision = type == "float4";
    // numeric(p,s): the modifier is 4 plus p in its high half and s in its
    // low 11 bits, signed (a negative scale rounds before the point).
    if (type == "numeric" && modifier >= 4) {
      const int packed = modifier - 4;
      column.decimal =
          ColumnSchema::Decimal{(packed >> 16) & 0xFFFF, ((packed & 0x7FF) ^ 1024) - 1024};
    }
  } else if (type == "date" || type == "timestamp" || type == "timestamptz") {
    column.kind = ColumnKind::Date;
  } else if (type == "bpchar" || type == "varchar" || type == "text") {
    column.kind = ColumnKind::Text;
    // The modifier of char(n) and varchar(n) is n plus the header's 4 bytes.
    if (type != "text" && modifier >= 4) column.maxLength = static_cast<size_t>(modifier - 4);
  } else {
    column.kind = ColumnKind::Any;
    column.onlyNull = true;
  }
}

}  // namespace

std::string PgQuoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::unique_ptr<PgConnection> PgConnection::Connect(const std::string& uri,
                                                    std::chrono::milliseconds busyTimeout) {
  std::string shown = MaskPasswords(uri);
  PGconn* raw = PQconnectdb(uri.c_str());
  if (raw == nullptr) RaiseDatabaseError(kDbCannotConnect, "'" + shown + "'");
  if (PQstatus(raw) != CONNECTION_OK) {
    std::string reason = Reason(PQerrorMessage(raw), uri);
    PQfinish(raw);
    RaiseDatabaseError(kDbCannotConnect, "'" + shown + "' (" + reason + ")");
  }
  PQsetNoticeProcessor(raw, IgnoreNotice, nullptr);
  std::unique_ptr<PgConnection> connection(new PgConnection(raw, shown));
  // A lock_timeout of 0 would wait for ever; the shortest wait is 1 ms.
  long long timeout = std::max<long long>(1, busyTimeout.count());
  connection->Exec(
      "SET synchronous_commit = on; SET lock_timeout = " + std::to_string(timeout) +
      "; SET DateStyle = ISO; SET client_encoding = 'UTF8'; SET extra_float_digits = 1");
  return connection;
}

PgConnection::~PgConnection() { PQfinish(connection_); }

bool PgConnection::Broken() const { return PQstatus(connection_) != CONNECTION_OK; }

bool PgConnection::Alive() {
  // An idle session has nothing to read; a session the server ended has
  // its last message and then the socket's end, each read without waiting.
  // A few reads at most: a notice now and then must not keep this going.
  for (int read = 0; read < 4 && !Broken(); ++read) {
    pollfd waiting{PQsocket(connection_), POLLIN, 0};
    if (poll(&waiting, 1, 0) <= 0) break;
    if (PQconsumeInput(connection_) == 0) break;
  }
  return !Broken();
}

void PgConnection::Fail(const PGresult* result) const {
  const char* state = result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_SQLSTATE);
  std::string code = state == nullptr ? "" : state;
  std::string message =
      Reason(result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr, "");
  if (message.empty()) message = Reason(PQerrorMessage(connection_), "");
  const std::string quoted = "'" + shownUri_ + "'";
  // The server gives every error it sends a SQLSTATE: a failure without one
  // is libpq's own, which found the socket closed before it marked the
  // connection as gone (a server stopped at that moment).
  if (Broken() || code.empty() || code.rfind("08", 0) == 0 || code == "57P01" ||
      code == "57P02" || code == "57P03") {
    RaiseDatabaseError(kDbConnectionLost, quoted + " (" + message + ")");
  }
  if (code == "40P01" || code == "40001" || code == "55P03") {
    RaiseDatabaseError(kDbLocked, shownUri_);
  }
  if (code == "53100") RaiseDatabaseError(kDbDiskError, quoted + " (" + message + ")");
  if (code == "42501") RaiseDatabaseError(kDbCannotOpen, shownUri_);
  if (code == "42P01") RaiseDatabaseError(kDbTableNotFound, message);
  if (code == "42703") RaiseDatabaseError(kDbUnknownColumn, message);
  if (code == "22001") RaiseDatabaseError(kDbTextTooLong, message);
  if (code == "22003") RaiseDatabaseError(kDbNumberOutOfRange, message);
  RaiseDatabaseError(kDbOtherError, message);
}

void PgConnection::Exec(const std::string& sql) {
  PgResult result(PQexec(connection_, sql.c_str()));
  if (!Succeeded(result.get())) Fail(result.get());
}

PgResult PgConnection::Query(const std::string& sql, const std::vector<std::string>& parameters) {
  std::vector<const char*> values;
  for (const std::string& parameter : parameters) values.push_back(parameter.c_str());
  PgResult result(PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                               values.data(), nullptr, nullptr, 0));
  if (!Succeeded(result.get())) Fail(result.get());
  return result;
}

TableSchema* PgConnection::FindTable(const std::string& name) {
  auto asked = asked_.find(name);
  if (asked != asked_.end()) return asked->second;
  // The tables of the schemas of search_path, in its order; the first
  // schema with a match decides.
  PgResult found = Query(
      "SELECT c.oid::text, n.nspname, c.relname, "
      "array_position(current_schemas(false), n.nspname) AS place "
      "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
      "WHERE c.relkind IN ('r', 'p', 'v', 'f') AND n.nspname = ANY (current_schemas(false)) "
      "ORDER BY place, c.relname");
  const std::string folded = FoldName(name);
  int rows = PQntuples(found.get());
  int chosen = -1;
  for (int first = 0; first < rows && chosen < 0;) {
    std::string place = PQgetvalue(found.get(), first, 3);
    int end = first;
    int matches = 0;
    int match = -1;
    for (; end < rows && place == PQgetvalue(found.get(), end, 3); ++end) {
      const char* relname = PQgetvalue(found.get(), end, 2);
      if (name == relname) chosen = end;
      if (FoldName(relname) == folded) {
        ++matches;
        match = end;
      }
    }
    if (chosen < 0 && matches == 1) chosen = match;
    // Two tables that differ only in case, neither named exactly: none is
    // the one meant.
    if (chosen < 0 && matches > 1) return nullptr;
    first = end;
  }
  if (chosen < 0) return nullptr;
  std::string oid = PQgetvalue(found.get(), chosen, 0);
  std::unique_ptr<TableSchema>& table = tables_[oid];
  if (!table) {
    auto read = std::make_unique<TableSchema>();
    read->name = PQgetvalue(found.get(), chosen, 2);
    ReadColumns(*read, oid);
    qualifiedNames_[read.get()] = PgQuoteIdentifier(PQgetvalue(found.get(), chosen, 1)) + "." +
                                  PgQuoteIdentifier(read->name);
    table = std::move(read);
    PgResult version = Query(kTableVersions, {"{" + oid + "}"});
    if (PQntuples(version.get()) == 1) versions_[oid] = PQgetvalue(version.get(), 0, 1);
  }
  asked_[name] = table.get();
  return table.get();
}

void PgConnection::ForgetChangedTables() {
  if (tables_.empty() || inTransaction_) return;
  std::string oids = "{";
  for (const auto& [oid, table] : tables_) oids += (oids.size() > 1 ? "," : "") + oid;
  PgResult current = Query(kTableVersions, {oids + "}"});
  bool unchanged = PQntuples(current.get()) == static_cast<int>(tables_.size());
  for (int i = 0; unchanged && i < PQntuples(current.get()); ++i) {
    auto known = versions_.find(PQgetvalue(current.get(), i, 0));
    unchanged = known != versions_.end() && known->second == PQgetvalue(current.get(), i, 1);
  }
  if (unchanged) return;
  asked_.clear();
  qualifiedNames_.clear();
  for (auto& [oid, table] : tables_) retired_.push_back(std::move(table));
  tables_.clear();
  versions_.clear();
  if (!inserts_.empty()) Exec("DEALLOCATE ALL");
  inserts_.clear();
}

void PgConnection::ReadColumns(TableSchema& table, const std::string& oid) {
  // A domain is read as its base type.
  PgResult columns = Query(
      "SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod), "
      "CASE WHEN t.typtype = 'd' THEN b.typname ELSE t.typname END, "
      "CASE WHEN t.typtype = 'd' THEN t.typtypmod ELSE a.atttypmod END "
      "FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_type t ON t.oid = a.atttypid "
      "LEFT JOIN pg_catalog.pg_type b ON b.oid = t.typbasetype "
      "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
      {oid});
  for (int i = 0; i < PQntuples(columns.get()); ++i) {
    ColumnSchema column;
    column.name = PQgetvalue(columns.get(), i, 0);
    column.declaredType = PQgetvalue(columns.get(), i, 1);
    SetKind(column, PQgetvalue(columns.get(), i, 2), std::atoi(PQgetvalue(columns.get(), i, 3)));
    table.columns.push_back(std::move(column));
  }
}

const TableSchema& PgConnection::Table(const std::string& name) {
  TableSchema* table = FindTable(name);
  if (table == nullptr) RaiseDatabaseError(kDbTableNotFound, name);
  return *table;
}

bool PgConnection::HasTable(const std::string& name) { return FindTable(name) != nullptr; }

const TableSchema& PgConnection::OwnTable(const TableSchema& table) {
  for (const auto& [oid, own] : tables_) {
    if (own.get() == &table) return *own;
  }
  for (const auto& [oid, own] : tables_) {
    if (own->name == table.name) return *own;
  }
  return Table(table.name);
}

const std::string& PgConnection::QualifiedName(const TableSchema& table) {
  return qualifiedNames_.at(&OwnTable(table));
}

const std::string& PgConnection::PreparedInsert(const TableSchema& table,
                                                const std::vector<size_t>& columns) {
  const std::string& qualified = QualifiedName(table);
  std::string key = qualified;
  for (size_t column : columns) key += '\0' + table.columns[column].name;
  auto cached = inserts_.find(key);
  if (cached != inserts_.end()) return cached->second;

  // Only names taken from the catalog reach the SQL text, each quoted as an
  // identifier; the values are parameters.
  std::string sql = "INSERT INTO " + qualified;
  if (columns.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names;
    std::string parameters;
    for (size_t i = 0; i < columns.size(); ++i) {
      names += (i == 0 ? "" : ",") + PgQuoteIdentifier(table.columns[columns[i]].name);
      parameters += (i == 0 ? "$" : ",$") + std::to_string(i + 1);
    }
    sql += " (" + names + ") VALUES (" + parameters + ")";
  }
  if (inserts_.size() >= kMostCachedInserts) {
    Exec("DEALLOCATE ALL");
    inserts_.clear();
  }
  std::string statement = "viruzedi_insert_" + std::to_string(++statementsPrepared_);
  PgResult prepared(PQprepare(connection_, statement.c_str(), sql.c_str(),
                              static_cast<int>(columns.size()), nullptr));
  if (!Succeeded(prepared.get())) Fail(prepared.get());
  return inserts_.emplace(std::move(key), std::move(statement)).first->second;
}

PgConnection::Outcome PgConnection::Send(const TableSchema& table,
                                         const std::vector<size_t>& columns,
                                         const std::vector<BoundValue>& values) {
  const std::string& statement = PreparedInsert(table, columns);
  std::vector<std::string> texts;
  texts.reserve(values.size());
  std::vector<const char*> parameters;
  for (const BoundValue& value : values) {
    if (std::holds_alternative<std::monostate>(value)) {
      texts.emplace_back();
      parameters.push_back(nullptr);
    } else {
      texts.push_back(ParameterText(value));
      parameters.push_back(texts.back().c_str());
    }
  }
  PgResult result(PQexecPrepared(connection_, statement.c_str(),
                                 static_cast<int>(parameters.size()), parameters.data(), nullptr,
                                 nullptr, 0));
  if (Succeeded(result.get())) return Outcome::Stored;
  if (IsRefusal(result.get())) return Outcome::Refused;
  Fail(result.get());
}

PgConnection::Outcome PgConnection::SendInSavepoint(const TableSchema& table,
                                                    const std::vector<size_t>& columns,
                                                    const std::vector<BoundValue>& values) {
  Exec("SAVEPOINT viruzedi_row");
  Outcome outcome = Send(table, columns, values);
  Exec(outcome == Outcome::Stored ? "RELEASE SAVEPOINT viruzedi_row"
                                  : "ROLLBACK TO SAVEPOINT viruzedi_row");
  return outcome;
}

bool PgConnection::Insert(const TableSchema& table, const std::vector<size_t>& columns,
                          const std::vector<BoundValue>& values) {
  for (size_t i = 0; i < columns.size(); ++i) {
    CheckColumnLimits(table.columns[columns[i]], values[i]);
  }
  if (!inTransaction_) return Send(table, columns, values) == Outcome::Stored;
  if (savepointPerRow_) return SendInSavepoint(table, columns, values) == Outcome::Stored;
  if (Send(table, columns, values) == Outcome::Stored) {
    kept_.push_back({&OwnTable(table), columns, values});
    return true;
  }
  // The refusal aborted the transaction on the server: it is begun anew
  // with the rows sent so far, and the rest goes row by row.
  Redo();
  return SendInSavepoint(table, columns, values) == Outcome::Stored;
}

void PgConnection::Redo() {
  Exec("ROLLBACK");
  Exec("BEGIN");
  savepointPerRow_ = true;
  std::vector<KeptRow> rows = std::move(kept_);
  kept_.clear();
  for (const KeptRow& row : rows) {
    // Every kept row was stored once and counted so; if another session's
    // row now refuses it, the count would be wrong, and the transaction
    // fails as a conflict with that session would: the file waits.
    if (SendInSavepoint(*row.table, row.columns, row.values) == Outcome::Refused) {
      RaiseDatabaseError(kDbLocked, shownUri_);
    }
  }
}

void PgConnection::Begin() {
  if (inTransaction_) RaiseDatabaseError(kDbOtherError, "transazione già aperta");
  Exec("BEGIN");
  inTransaction_ = true;
  savepointPerRow_ = false;
  kept_.clear();
}

void PgConnection::Commit() {
  inTransaction_ = false;
  savepointPerRow_ = false;
  kept_.clear();
  PgResult result(PQexec(connection_, "COMMIT"));
  if (!Succeeded(result.get())) {
    Rollback();
    Fail(result.get());
  }
  // A transaction that an error aborted ends in a rollback, not a commit.
  if (std::strcmp(PQcmdStatus(result.get()), "COMMIT") != 0) {
    RaiseDatabaseError(kDbOtherError, "la transazione è stata annullata dal server");
  }
}

void PgConnection::Rollback() noexcept {
  bool open = inTransaction_;
  inTransaction_ = false;
  savepointPerRow_ = false;
  kept_.clear();
  if (!Broken() && (open || PQtransactionStatus(connection_) != PQTRANS_IDLE)) {
    PQclear(PQexec(connection_, "ROLLBACK"));
  }
}

}  // namespace viruzedi
