#include "database/odbc/OdbcEngine.h"

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/Connection.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/odbc/OdbcConnection.h"
#include "database/ConnectionString.h"

namespace viruzedi {

Engine& OdbcDatabaseEngine() {
  static OdbcEngine engine;
  return engine;
}

std::string OdbcEngine::ReuseKey(const std::string& name) { return ConnectionStringOfValue(name); }

std::unique_ptr<EngineConnection> OdbcEngine::Connect(const std::string& name,
                                                      std::chrono::milliseconds busyTimeout) {
  return OdbcConnection::Connect(ConnectionStringOfValue(name), busyTimeout);
}

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
