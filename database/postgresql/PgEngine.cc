#include "database/postgresql/PgEngine.h"

#include <map>
#include <utility>

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/DatabaseMessages.h"
#include "database/LedgerTable.h"

namespace viruzedi {
namespace {

// The two tables of a target database, with the names and types the
// imports write; unquoted names are folded to small letters by the server,
// the others are written as it would fold them.
constexpr const char* kTargetTables =
    "CREATE TABLE viruzedi (codart text, idlotto integer, \"id sottoord\" integer, "
    "\"quantità\" double precision, data date, rep integer, ncolli text, lotto_codice text, "
    "lotto_scadenza date, sscc text);"
    "CREATE TABLE viruzedi_rimesseof (idut smallint, idsottoord integer, "
    "\"qtà\" double precision, ndoc text, datadoc date)";

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

// This thread's connections, by URI and busy timeout. Kept while the thread
// lives, so that an import that opens its database for every record finds
// the connection still there; the server sees one idle session per
// workstation thread.
using ConnectionKey = std::pair<std::string, std::chrono::milliseconds::rep>;
thread_local std::map<ConnectionKey, std::shared_ptr<PgConnection>> threadConnections;

}  // namespace

Engine& PostgresEngine() {
  static PgEngine engine;
  return engine;
}

void PgSession::CheckOpen() const { Connection(); }

PgConnection& PgSession::Connection() const {
  if (connection_ == nullptr) RaiseDatabaseError(kDbObjectClosed);
  return *connection_;
}

const TableSchema& PgSession::Table(const std::string& name) {
  PgConnection& connection = Connection();
  if (!tablesChecked_) {
    connection.ForgetChangedTables();
    tablesChecked_ = true;
  }
  return connection.Table(name);
}

bool PgSession::Insert(const TableSchema& table, const std::vector<size_t>& columns,
                       const std::vector<BoundValue>& values) {
  return Connection().Insert(table, columns, values);
}

void PgSession::Begin() { Connection().Begin(); }

void PgSession::Commit() { Connection().Commit(); }

void PgSession::Rollback() noexcept {
  if (connection_) connection_->Rollback();
}

void PgSession::MakeDurable() { CheckOpen(); }

std::vector<std::vector<std::string>> PgSession::Run(const std::string& sql,
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
  PgResult result = Connection().Query(numbered, texts);
  std::vector<std::vector<std::string>> rows(static_cast<size_t>(PQntuples(result.get())));
  for (size_t row = 0; row < rows.size(); ++row) {
    for (int column = 0; column < PQnfields(result.get()); ++column) {
      rows[row].emplace_back(PQgetvalue(result.get(), static_cast<int>(row), column));
    }
  }
  return rows;
}

void PgSession::CheckRights(const TableSchema& table, const std::vector<size_t>& columns) {
  PgConnection& connection = Connection();
  std::vector<std::string> names;
  for (size_t column : columns) names.push_back(table.columns[column].name);
  PgResult insert =
      connection.Query(kInsertRight, {connection.QualifiedName(table), TextArray(names)});
  const std::string role = PQgetvalue(insert.get(), 0, 0);
  if (std::string(PQgetvalue(insert.get(), 0, 1)) != "t") {
    RaiseMissingRights(connection.ShownUri(), role, table.name, "INSERT");
  }
  // A database without the ledger gets one at the import, or goes on
  // without it where the role may not make it (ImportLedger::Available).
  if (!connection.HasTable(kLedgerTable)) return;
  const TableSchema& ledger = connection.Table(kLedgerTable);
  PgResult rights = connection.Query(kLedgerRights, {connection.QualifiedName(ledger)});
  std::string missing;
  for (int right = 0; right < 3; ++right) {
    if (std::string(PQgetvalue(rights.get(), 0, right)) == "t") continue;
    missing += (missing.empty() ? "" : ", ") + std::string(kLedgerRightNames[right]);
  }
  if (!missing.empty()) RaiseMissingRights(connection.ShownUri(), role, ledger.name, missing);
}

void PgSession::CreateLedgerTable() {
  PgConnection& connection = Connection();
  connection.Begin();
  try {
    connection.Exec(kPostgresCreationLock);
    connection.Exec(LedgerTableSql(kPostgresLedgerTypes));
    connection.Exec(LedgerIndexSql());
    connection.Commit();
  } catch (...) {
    connection.Rollback();
    throw;
  }
}

std::unique_ptr<EngineSession> PgEngine::OpenSession(const std::string& name,
                                                     std::chrono::milliseconds busyTimeout) {
  std::shared_ptr<PgConnection>& connection = threadConnections[{name, busyTimeout.count()}];
  if (connection && (connection->InTransaction() ? connection->Broken() : !connection->Alive())) {
    // Rows of an open transaction went with the connection: that work is
    // lost, which its import must hear of rather than write on without it.
    if (connection->InTransaction()) {
      RaiseDatabaseError(kDbConnectionLost, "'" + connection->ShownUri() + "'");
    }
    connection.reset();
  }
  if (!connection) connection = PgConnection::Connect(name, busyTimeout);
  return std::make_unique<PgSession>(connection);
}

void PgEngine::CreateTargetDatabase(const std::string& name) {
  std::unique_ptr<PgConnection> connection =
      PgConnection::Connect(name, std::chrono::milliseconds(5000));
  connection->Begin();
  try {
    // One init-db at a time: the second finds the first's tables, 58.
    connection->Exec(kPostgresCreationLock);
    for (const char* table : {"viruzedi", "viruzedi_rimesseof"}) {
      if (connection->HasTable(table)) RaiseError(kFileAlreadyExists, connection->ShownUri());
    }
    connection->Exec(kTargetTables);
    connection->Exec(LedgerTableSql(kPostgresLedgerTypes));
    connection->Exec(LedgerIndexSql());
    connection->Commit();
  } catch (...) {
    connection->Rollback();
    throw;
  }
}

}  // namespace viruzedi
