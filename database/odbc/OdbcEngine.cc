// The engine of ODBC connection strings (DSN=..., Driver=..., FileDSN=...):
// any database a driver reaches; on Windows also every database file,
// through the Access driver.
#include "base/Errors.h"
#include "base/Masking.h"
#include "database/Connection.h"
#include "database/ConnectionString.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/odbc/OdbcConnection.h"

namespace viruzedi {

namespace {

// It holds nothing: each connection it makes serves the thread that made it.
class OdbcEngine : public Engine {
 public:
  // The connection string of the value (ConnectionStringOfValue: 3024 for
  // a file that is not there).
  std::string ReuseKey(const std::string& name) override { return ConnectionStringOfValue(name); }
  std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                            std::chrono::milliseconds busyTimeout) override {
    return OdbcConnection::Connect(ConnectionStringOfValue(name), busyTimeout);
  }
  std::unique_ptr<EngineConnection> ConnectToRead(const std::string& name,
                                                  std::chrono::milliseconds busyTimeout) override {
    return Connect(name, busyTimeout);
  }
  void CreateTargetDatabase(const std::string& name) override;
};

}  // namespace

Engine& OdbcDatabaseEngine() {
  static OdbcEngine engine;
  return engine;
}

// The tables in one transaction where the database makes tables inside one,
// else taken away again after a failure; 58 when either of the two is there
// already.
void OdbcEngine::CreateTargetDatabase(const std::string& name) {
  // A file is made by its own program, not through a connection string.
  if (!IsOdbcConnectionString(name)) {
    RaiseDatabaseError(
        kDbCannotConnect,
        "'" + MaskPasswords(name) + "' (init-db richiede una stringa di connessione ODBC)");
  }
  std::unique_ptr<OdbcConnection> made =
      OdbcConnection::Connect(name, std::chrono::milliseconds(5000));
  OdbcConnection& driver = *made;
  Connection connection(std::move(made));
  if (driver.DbmsName() == "SQLite") {
    // As the file engine makes its files: readers never hold up a writer.
    // Outside the transaction, where SQLite changes its journal only, and
    // not on a database that already has the tables.
    for (const TableDescription& table : TargetTables()) {
      if (connection.FindTable(table.name)) RaiseError(kFileAlreadyExists, driver.Shown());
    }
    driver.Query("PRAGMA journal_mode = WAL");
  }
  connection.CreateTargetTables(kOdbcTypes, [&driver](const std::string& table) {
    return driver.Quote(driver.StoredCase(table));
  });
}

}  // namespace viruzedi
