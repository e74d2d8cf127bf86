#include "database/odbc/OdbcEngine.h"

#include <map>
#include <utility>

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/DatabaseMessages.h"
#include "database/ConnectionString.h"

namespace viruzedi {
namespace {

// The two tables of a target database, with the names the imports write and
// types that every driver's SQL knows (FLOAT is a double everywhere).
struct TargetColumn {
  const char* name;
  const char* type;
};
struct TargetTable {
  const char* name;
  std::vector<TargetColumn> columns;
};
const TargetTable kTargetTables[] = {
    {"Viruzedi",
     {{"Codart", "TEXT"}, {"IdLotto", "INTEGER"}, {"Id SottoOrd", "INTEGER"},
      {"Quantità", "FLOAT"}, {"Data", "DATE"}, {"Rep", "INTEGER"}, {"NColli", "TEXT"},
      {"Lotto_Codice", "TEXT"}, {"Lotto_Scadenza", "DATE"}, {"SSCC", "TEXT"}}},
    {"Viruzedi_RimesseOF",
     {{"IdUt", "INTEGER"}, {"IdSottoORd", "INTEGER"}, {"Qtà", "FLOAT"}, {"NDoc", "TEXT"},
      {"DataDoc", "DATE"}}},
};

// This thread's connections, by connection string and busy timeout. Kept
// while the thread lives, so that an import that opens its database for
// every record finds the connection still there.
using ConnectionKey = std::pair<std::string, std::chrono::milliseconds::rep>;
thread_local std::map<ConnectionKey, std::shared_ptr<OdbcConnection>> threadConnections;

}  // namespace

Engine& OdbcDatabaseEngine() {
  static OdbcEngine engine;
  return engine;
}

void OdbcSession::CheckOpen() const { Connection(); }

OdbcConnection& OdbcSession::Connection() const {
  if (connection_ == nullptr) RaiseDatabaseError(kDbObjectClosed);
  return *connection_;
}

const TableSchema& OdbcSession::Table(const std::string& name) {
  OdbcConnection& connection = Connection();
  if (!tablesChecked_) {
    connection.ForgetChangedTables();
    tablesChecked_ = true;
  }
  return connection.Table(name);
}

bool OdbcSession::Insert(const TableSchema& table, const std::vector<size_t>& columns,
                         const std::vector<BoundValue>& values) {
  return Connection().Insert(table, columns, values);
}

void OdbcSession::Begin() { Connection().Begin(); }

void OdbcSession::Commit() { Connection().Commit(); }

void OdbcSession::Rollback() noexcept {
  if (connection_) connection_->Rollback();
}

void OdbcSession::MakeDurable() { CheckOpen(); }

std::vector<std::vector<std::string>> OdbcSession::Run(const std::string& sql,
                                                       const std::vector<BoundValue>& parameters) {
  return Connection().Run(sql, parameters);
}

void OdbcSession::CreateLedgerTable() { Connection().CreateLedgerTable(); }

std::unique_ptr<EngineSession> OdbcEngine::OpenSession(const std::string& name,
                                                       std::chrono::milliseconds busyTimeout) {
  const std::string connection = ConnectionStringOfValue(name);
  std::shared_ptr<OdbcConnection>& held = threadConnections[{connection, busyTimeout.count()}];
  if (held && !held->Alive()) {
    // Rows of an open transaction went with the connection: that work is
    // lost, which its import must hear of rather than write on without it.
    if (held->InTransaction()) {
      RaiseDatabaseError(kDbConnectionLost, "'" + held->Shown() + "'");
    }
    held.reset();
  }
  if (!held) held = OdbcConnection::Connect(connection, busyTimeout);
  return std::make_unique<OdbcSession>(held);
}

void OdbcEngine::CreateTargetDatabase(const std::string& name) {
  // A file is made by its own program, not through a connection string.
  if (!IsOdbcConnectionString(name)) {
    RaiseDatabaseError(kDbCannotConnect,
                       "'" + MaskPasswords(name) + "' (init-db richiede una stringa di connessione ODBC)");
  }
  std::unique_ptr<OdbcConnection> connection =
      OdbcConnection::Connect(name, std::chrono::milliseconds(5000));
  for (const TargetTable& table : kTargetTables) {
    if (connection->HasTable(table.name)) RaiseError(kFileAlreadyExists, connection->Shown());
  }
  if (connection->DbmsName() == "SQLite") {
    // As the file engine makes its files: readers never hold up a writer.
    connection->Query("PRAGMA journal_mode = WAL");
  }
  connection->Begin();
  std::vector<std::string> made;
  try {
    for (const TargetTable& table : kTargetTables) {
      std::string sql = "CREATE TABLE " + connection->Quote(connection->StoredCase(table.name)) + " (";
      for (size_t i = 0; i < table.columns.size(); ++i) {
        sql += (i == 0 ? "" : ", ") +
               connection->Quote(connection->StoredCase(table.columns[i].name)) + " " +
               table.columns[i].type;
      }
      connection->Exec(sql + ")");
      made.push_back(connection->StoredCase(table.name));
    }
    connection->Commit();
    connection->CreateLedgerTable();
  } catch (...) {
    connection->Rollback();
    // Where tables are made outside transactions, the first one stays
    // behind a failed second one: it is taken away again.
    for (const std::string& table : made) {
      try {
        if (connection->HasTable(table)) connection->Exec("DROP TABLE " + connection->Quote(table));
      } catch (const AutomationError&) {
      }
    }
    throw;
  }
}

}  // namespace viruzedi
