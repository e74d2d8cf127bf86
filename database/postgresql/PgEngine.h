// The engine of PostgreSQL servers: a database value is a libpq connection
// URI (postgresql://... or postgres://...) or keyword string.
#pragma once

#include "database/Engine.h"

namespace viruzedi {

// Thread-safe: it holds nothing; each connection it makes serves the
// thread that made it.
class PgEngine : public Engine {
 public:
  std::string ReuseKey(const std::string& name) override { return name; }
  std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                            std::chrono::milliseconds busyTimeout) override;
  // In a read-only transaction of its own.
  std::unique_ptr<EngineConnection> ConnectToRead(const std::string& name,
                                                  std::chrono::milliseconds busyTimeout) override;
  // The tables in one transaction, names as the server folds unquoted ones;
  // 58 when either of the two is there already.
  void CreateTargetDatabase(const std::string& name) override;
};

}  // namespace viruzedi
