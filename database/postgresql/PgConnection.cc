#include "database/postgresql/PgConnection.h"

#include <poll.h>

#include <charconv>
#include <cstring>
#include <string_view>

#include "base/Masking.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/SqlText.h"

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

// Whether the role may add rows with the given columns (a table's right or
// each column's), and who the role is.
constexpr const char* kInsertRight =
    "SELECT current_user, COALESCE(bool_and(has_column_privilege($1, c, 'INSERT')), "
    "has_table_privilege($1, 'INSERT')) FROM unnest($2::text[]) AS c";
// The ledger's rights that an import uses, each as true or false, in the
// order of their names.
constexpr const char* kLedgerRights =
    "SELECT has_table_privilege($1, 'SELECT'), has_table_privilege($1, 'INSERT'), "
    "has_table_privilege($1, 'UPDATE')";
constexpr const char* kLedgerRightNames[] = {"SELECT", "INSERT", "UPDATE"};

// Texts as the literal of a text array: each in double quotes, with '"' and
// '\' escaped.
std::string TextArray(const std::vector<std::string>& texts) {
  std::string literal = "{";
  for (const std::string& text : texts) {
    if (literal.size() > 1) literal += ',';
    literal += '"';
    for (char c : text) {
      if (c == '"' || c == '\\') literal += '\\';
      literal += c;
    }
    literal += '"';
  }
  return literal + "}";
}

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
  // libpq's line ends and indents would break the message's one line.
  return OneLine(reason);
}

// A value as a text parameter in the form the server reads back exactly:
// integers in digits, numbers in the shortest form that gives the same
// double, dates and texts as they are. A number's digits go into `buffer`.
std::string_view ParameterText(const BoundValue& value, char (&buffer)[32]) {
  if (const std::string* text = std::get_if<std::string>(&value)) return *text;
  std::to_chars_result written{};
  if (const int64_t* integer = std::get_if<int64_t>(&value)) {
    written = std::to_chars(buffer, buffer + sizeof buffer, *integer);
  } else {
    written = std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(value));
  }
  if (written.ec != std::errc()) return "NaN";
  return std::string_view(buffer, static_cast<size_t>(written.ptr - buffer));
}

// A row of a batch as a line of COPY's text format: each value as its
// parameter's text, so that COPY stores what the INSERT would, with the
// format's escapes (\\, \t, \n, \r) and \N for Null.
void AppendCopyLine(const BoundValue* values, size_t count, std::string& data) {
  char buffer[32];
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) data += '\t';
    if (std::holds_alternative<std::monostate>(values[i])) {
      data += "\\N";
      continue;
    }
    // A number's digits need no escape; a text goes in runs between the
    // characters that do.
    std::string_view text = ParameterText(values[i], buffer);
    for (size_t escape; (escape = text.find_first_of("\\\t\n\r")) != std::string_view::npos;) {
      data.append(text.substr(0, escape));
      const char c = text[escape];
      data += '\\';
      data += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
      text.remove_prefix(escape + 1);
    }
    data.append(text);
  }
  data += '\n';
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

bool PgConnection::StillServes(const std::string&, bool inTransaction) {
  if (inTransaction) return !Broken();
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
  if (Broken() || code.empty() || code.rfind("08", 0) == 0 || code == "57P01" || code == "57P02" ||
      code == "57P03") {
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

std::vector<CatalogTable> PgConnection::Tables() {
  PgResult found = Query(
      "SELECT c.oid::text, n.nspname, c.relname, "
      "array_position(current_schemas(false), n.nspname) AS place "
      "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
      "WHERE c.relkind IN ('r', 'p', 'v', 'f') AND n.nspname = ANY (current_schemas(false)) "
      "ORDER BY place, c.relname");
  std::vector<CatalogTable> tables(static_cast<size_t>(PQntuples(found.get())));
  for (size_t row = 0; row < tables.size(); ++row) {
    const int at = static_cast<int>(row);
    CatalogTable& table = tables[row];
    table.id = PQgetvalue(found.get(), at, 0);
    table.schema = PQgetvalue(found.get(), at, 1);
    table.name = PQgetvalue(found.get(), at, 2);
    table.place = std::atoi(PQgetvalue(found.get(), at, 3));
    table.sqlName = QuoteName(table.schema) + "." + QuoteName(table.name);
  }
  return tables;
}

std::vector<std::string> PgConnection::TableVersions(const std::vector<const KnownTable*>& tables) {
  std::string oids = "{";
  for (const KnownTable* table : tables) oids += (oids.size() > 1 ? "," : "") + table->where.id;
  PgResult current = Query(kTableVersions, {oids + "}"});
  std::map<std::string, std::string> versions;
  for (int row = 0; row < PQntuples(current.get()); ++row) {
    versions[PQgetvalue(current.get(), row, 0)] = PQgetvalue(current.get(), row, 1);
  }
  std::vector<std::string> ordered;
  for (const KnownTable* table : tables) ordered.push_back(versions[table->where.id]);
  return ordered;
}

void PgConnection::ForgetStatements() {
  if (!inserts_.empty()) Exec("DEALLOCATE ALL");
  inserts_.clear();
}

void PgConnection::ReadTable(KnownTable& table) {
  table.schema.name = table.where.name;
  // A domain is read as its base type. Each row also tells whether COPY
  // may write the relation as an INSERT would: into a table, not a view or
  // a foreign table, and not past a rule, which COPY does not apply.
  PgResult columns = Query(
      "SELECT a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod), "
      "CASE WHEN t.typtype = 'd' THEN b.typname ELSE t.typname END, "
      "CASE WHEN t.typtype = 'd' THEN t.typtypmod ELSE a.atttypmod END, "
      "c.relkind IN ('r', 'p') AND NOT c.relhasrules "
      "FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_type t ON t.oid = a.atttypid "
      "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid "
      "LEFT JOIN pg_catalog.pg_type b ON b.oid = t.typbasetype "
      "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
      {table.where.id});
  copyTargets_.erase(table.where.id);
  for (int i = 0; i < PQntuples(columns.get()); ++i) {
    ColumnSchema column;
    column.name = PQgetvalue(columns.get(), i, 0);
    column.declaredType = PQgetvalue(columns.get(), i, 1);
    SetKind(column, PQgetvalue(columns.get(), i, 2), std::atoi(PQgetvalue(columns.get(), i, 3)));
    // The server's texts end at a NUL: one would be cut short or refused.
    column.textWithoutNul = true;
    table.schema.columns.push_back(std::move(column));
    if (std::string(PQgetvalue(columns.get(), i, 4)) == "t") copyTargets_.insert(table.where.id);
  }
  const std::vector<std::string> version = TableVersions({&table});
  table.version = version.front();
}

const std::string& PgConnection::PreparedInsert(const RowBatch& batch) {
  std::string sql =
      InsertSql(batch, QuoteName, [](size_t number) { return "$" + std::to_string(number); });
  auto cached = inserts_.find(sql);
  if (cached != inserts_.end()) return cached->second;
  if (inserts_.size() >= kMostCachedInserts) {
    Exec("DEALLOCATE ALL");
    inserts_.clear();
  }
  std::string statement = "viruzedi_insert_" + std::to_string(++statementsPrepared_);
  PgResult prepared(PQprepare(connection_, statement.c_str(), sql.c_str(),
                              static_cast<int>(batch.columns.size()), nullptr));
  if (!Succeeded(prepared.get())) Fail(prepared.get());
  return inserts_.emplace(std::move(sql), std::move(statement)).first->second;
}

BatchOutcome PgConnection::Send(const RowBatch& batch) {
  // COPY costs two exchanges with the server where an INSERT costs one:
  // one row goes as an INSERT. COPY cannot report which rows a constraint
  // refused, only that one was, which is all a transaction needs.
  if (inTransaction_ && batch.rows > 1 && !batch.columns.empty() &&
      copyTargets_.count(batch.table->where.id) > 0) {
    return SendCopy(batch);
  }
  return SendInserts(batch);
}

BatchOutcome PgConnection::SendInserts(const RowBatch& batch) {
  const std::string& statement = PreparedInsert(batch);
  BatchOutcome outcome;
  std::vector<std::string> texts(batch.columns.size());
  std::vector<const char*> parameters(batch.columns.size());
  char buffer[32];
  for (size_t row = 0; row < batch.rows; ++row) {
    const BoundValue* values = batch.Row(row);
    for (size_t i = 0; i < batch.columns.size(); ++i) {
      const bool null = std::holds_alternative<std::monostate>(values[i]);
      if (!null) texts[i] = ParameterText(values[i], buffer);
      parameters[i] = null ? nullptr : texts[i].c_str();
    }
    PgResult result(PQexecPrepared(connection_, statement.c_str(),
                                   static_cast<int>(parameters.size()), parameters.data(), nullptr,
                                   nullptr, 0));
    if (Succeeded(result.get())) continue;
    if (!IsRefusal(result.get())) Fail(result.get());
    if (inTransaction_) {
      outcome.failedWhole = true;
      return outcome;
    }
    outcome.refused.push_back(row);
  }
  return outcome;
}

BatchOutcome PgConnection::SendCopy(const RowBatch& batch) {
  std::string sql = "COPY " + batch.table->where.sqlName + " (";
  for (size_t i = 0; i < batch.columns.size(); ++i) {
    sql += (i > 0 ? ", " : "") + QuoteName(batch.table->schema.columns[batch.columns[i]].name);
  }
  sql += ") FROM STDIN";
  if (PQsendQuery(connection_, sql.c_str()) == 0) Fail(nullptr);
  // The rows are written out while the server answers, in one piece: a
  // batch is a few hundred rows at most, and one write of them is one
  // system call rather than one per row.
  copyData_.clear();
  for (size_t row = 0; row < batch.rows; ++row) {
    AppendCopyLine(batch.Row(row), batch.columns.size(), copyData_);
  }
  PgResult started(PQgetResult(connection_));
  if (PQresultStatus(started.get()) != PGRES_COPY_IN) {
    while (PGresult* more = PQgetResult(connection_)) PQclear(more);
    Fail(started.get());
  }
  started.reset();
  // The COPY ends here, whatever comes of it: none stays open into what the
  // layer does next. Every result up to the last is read, so that the
  // connection is free for the next statement; a COPY that could not be
  // ended has only the connection's failure to give.
  const bool ended =
      PQputCopyData(connection_, copyData_.data(), static_cast<int>(copyData_.size())) == 1 &&
      PQputCopyEnd(connection_, nullptr) == 1;
  PgResult result(PQgetResult(connection_));
  if (ended) {
    while (PGresult* more = PQgetResult(connection_)) PQclear(more);
  }
  BatchOutcome outcome;
  if (Succeeded(result.get())) return outcome;
  if (!IsRefusal(result.get())) Fail(result.get());
  outcome.failedWhole = true;
  return outcome;
}

std::vector<std::vector<std::string>> PgConnection::Run(const std::string& sql,
                                                        const std::vector<BoundValue>& parameters) {
  // The server numbers its parameters.
  std::string numbered;
  int number = 0;
  for (char c : sql) {
    if (c == '?') {
      numbered += "$" + std::to_string(++number);
    } else {
      numbered += c;
    }
  }
  std::vector<std::string> texts;
  for (const BoundValue& value : parameters) {
    if (const int64_t* integer = std::get_if<int64_t>(&value)) {
      texts.push_back(std::to_string(*integer));
    } else if (const std::string* text = std::get_if<std::string>(&value)) {
      texts.push_back(*text);
    } else {
      RaiseDatabaseError(kDbOtherError, "parametro senza testo");  // the ledger binds none
    }
  }
  PgResult result = Query(numbered, texts);
  std::vector<std::vector<std::string>> rows(static_cast<size_t>(PQntuples(result.get())));
  for (size_t row = 0; row < rows.size(); ++row) {
    for (int column = 0; column < PQnfields(result.get()); ++column) {
      rows[row].emplace_back(PQgetvalue(result.get(), static_cast<int>(row), column));
    }
  }
  return rows;
}

void PgConnection::CheckRights(const KnownTable& table, const std::vector<size_t>& columns,
                               const std::function<const KnownTable*()>& ledger) {
  std::vector<std::string> names;
  for (size_t column : columns) names.push_back(table.schema.columns[column].name);
  PgResult insert = Query(kInsertRight, {table.where.sqlName, TextArray(names)});
  const std::string role = PQgetvalue(insert.get(), 0, 0);
  if (std::string(PQgetvalue(insert.get(), 0, 1)) != "t") {
    RaiseMissingRights(shownUri_, role, table.schema.name, "INSERT");
  }
  // A database without the ledger gets one at the import, or goes on
  // without it where the role may not make it (ImportLedger::Available).
  const KnownTable* entries = ledger();
  if (entries == nullptr) return;
  PgResult rights = Query(kLedgerRights, {entries->where.sqlName});
  std::string missing;
  for (int right = 0; right < 3; ++right) {
    if (std::string(PQgetvalue(rights.get(), 0, right)) == "t") continue;
    missing += (missing.empty() ? "" : ", ") + std::string(kLedgerRightNames[right]);
  }
  if (!missing.empty()) RaiseMissingRights(shownUri_, role, entries->schema.name, missing);
}

void PgConnection::Begin() {
  Exec("BEGIN");
  inTransaction_ = true;
}

void PgConnection::Commit() {
  inTransaction_ = false;
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
  if (!Broken() && (open || PQtransactionStatus(connection_) != PQTRANS_IDLE)) {
    PQclear(PQexec(connection_, "ROLLBACK"));
  }
}

void PgConnection::RestartTransaction() {
  Exec("ROLLBACK");
  Exec("BEGIN");
}

}  // namespace viruzedi
