#include "database/postgresql/PgEngine.h"

#include "base/NameFolding.h"
#include "database/Connection.h"
#include "database/postgresql/PgConnection.h"

namespace viruzedi {

Engine& PostgresEngine() {
  static PgEngine engine;
  return engine;
}

std::unique_ptr<EngineConnection> PgEngine::Connect(const std::string& name,
                                                    std::chrono::milliseconds busyTimeout) {
  return PgConnection::Connect(name, busyTimeout);
}

std::unique_ptr<EngineConnection> PgEngine::ConnectToRead(const std::string& name,
                                                          std::chrono::milliseconds busyTimeout) {
  std::unique_ptr<PgConnection> connection = PgConnection::Connect(name, busyTimeout);
  connection->Exec("BEGIN TRANSACTION READ ONLY");
  return connection;
}

void PgEngine::CreateTargetDatabase(const std::string& name) {
  Connection connection(PgConnection::Connect(name, std::chrono::milliseconds(5000)));
  // Written as the server would fold them unquoted, so that plain names in
  // any case find them.
  connection.CreateTargetTables(
      kPostgresTypes, [](const std::string& table) { return PgQuoteIdentifier(FoldName(table)); });
}

}  // namespace viruzedi
