// The engine of PostgreSQL servers: a database value is a libpq connection
// URI (postgresql://... or postgres://...) or keyword string.
#include "base/NameFolding.h"
#include "database/Connection.h"
#include "database/SqlText.h"
#include "database/postgresql/PgConnection.h"

namespace viruzedi {
namespace {

// It holds nothing: each connection it makes serves the thread that made it.
class PgEngine : public Engine {
 public:
  std::string ReuseKey(const std::string& name) override { return name; }
  std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                            std::chrono::milliseconds busyTimeout) override {
    return PgConnection::Connect(name, busyTimeout);
  }
  // In a read-only transaction of its own.
  std::unique_ptr<EngineConnection> ConnectToRead(const std::string& name,
                                                  std::chrono::milliseconds busyTimeout) override {
    std::unique_ptr<PgConnection> connection = PgConnection::Connect(name, busyTimeout);
    connection->Exec("BEGIN TRANSACTION READ ONLY");
    return connection;
  }
  void CreateTargetDatabase(const std::string& name) override;
};

}  // namespace

Engine& PostgresEngine() {
  static PgEngine engine;
  return engine;
}

// The tables in one transaction, names as the server folds unquoted ones;
// 58 when either of the two is there already.
void PgEngine::CreateTargetDatabase(const std::string& name) {
  Connection connection(PgConnection::Connect(name, std::chrono::milliseconds(5000)));
  // Written as the server would fold them unquoted, so that plain names in
  // any case find them.
  connection.CreateTargetTables(
      kPostgresTypes, [](const std::string& table) { return QuoteName(FoldName(table)); });
}

}  // namespace viruzedi
