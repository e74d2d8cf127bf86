// The engine of SQLite files: a database value is the file's path.
#pragma once

#include "database/Engine.h"

namespace viruzedi {

// Thread-safe: it holds nothing; each connection it makes serves the
// thread that made it.
class SqliteEngine : public Engine {
 public:
  // The file's absolute path, so that a relative name read in another
  // working folder names another file.
  std::string ReuseKey(const std::string& name) override;
  std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                            std::chrono::milliseconds busyTimeout) override;
  // Without writing, even without the right to: a reader who may not make
  // WAL mode's shared memory reads a file with no WAL as unchanging.
  std::unique_ptr<EngineConnection> ConnectToRead(const std::string& name,
                                                  std::chrono::milliseconds busyTimeout) override;
  // The file made with an exclusive create, so that an existing one (made
  // even a moment ago by someone else) is never taken over: 58 when it
  // exists, 76 when its folder is missing, 70 when the folder cannot be
  // written, 3043 for a path SQLite cannot take or a failure to write it.
  void CreateTargetDatabase(const std::string& name) override;
};

}  // namespace viruzedi
