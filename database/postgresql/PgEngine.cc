#include "database/postgresql/PgEngine.h"

#include <map>
#include <utility>

#include "base/AutomationError.h"
#include "base/Masking.h"
#include "database/DatabaseMessages.h"

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
    // Two init-db at once would both find no table and the second fail in
    // the catalog; one at a time, the second finds the first's tables: 58.
    connection->Exec("SELECT pg_advisory_xact_lock(hashtext('viruzedi init-db'))");
    for (const char* table : {"viruzedi", "viruzedi_rimesseof"}) {
      if (connection->HasTable(table)) RaiseError(kFileAlreadyExists, connection->ShownUri());
    }
    connection->Exec(kTargetTables);
    connection->Commit();
  } catch (...) {
    connection->Rollback();
    throw;
  }
}

}  // namespace viruzedi
