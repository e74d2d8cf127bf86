// The engine of SQLite files: a database value is the file's path.
#pragma once

#include "database/Engine.h"
#include "database/sqlite/SqliteConnectionCache.h"

namespace viruzedi {

// Thread-safe: the connection cache is locked; each connection it hands out
// serves the thread that opened it.
class SqliteEngine : public Engine {
 public:
  std::unique_ptr<EngineSession> OpenSession(const std::string& name,
                                             std::chrono::milliseconds busyTimeout) override;
  void CreateTargetDatabase(const std::string& name) override;
  std::vector<TableRows> ListRows(const std::string& name, const std::vector<std::string>& tables,
                                  size_t most, std::chrono::milliseconds busyTimeout) override;

 private:
  // The per-record opens of an import share the connection this thread
  // holds open on the same file (by the file's identity).
  SqliteConnectionCache connections_;
};

}  // namespace viruzedi
