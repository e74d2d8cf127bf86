// The engine of ODBC connection strings (DSN=..., Driver=..., FileDSN=...):
// any database a driver reaches; on Windows also every database file,
// through the Access driver.
#pragma once

#include "database/Engine.h"

namespace viruzedi {

// Thread-safe: it holds nothing; each connection it makes serves the
// thread that made it.
class OdbcEngine : public Engine {
 public:
  // The connection string of the value (ConnectionStringOfValue: 3024 for
  // a file that is not there).
  std::string ReuseKey(const std::string& name) override;
  std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                            std::chrono::milliseconds busyTimeout) override;
  std::unique_ptr<EngineConnection> ConnectToRead(const std::string& name,
                                                  std::chrono::milliseconds busyTimeout) override {
    return Connect(name, busyTimeout);
  }
  // The tables in one transaction where the database makes tables inside
  // one, else taken away again after a failure; 58 when either of the two
  // is there already.
  void CreateTargetDatabase(const std::string& name) override;
};

}  // namespace viruzedi
