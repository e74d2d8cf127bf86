// What each database engine implements, and the one place that picks the
// engine from a database value (DbPath, the database parameter, --db,
// init-db, mostra).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/Database.h"

namespace viruzedi {

// The rows of one table as the command line's listing shows them.
struct TableRows {
  std::string name;     // as declared; as asked when the table is missing
  bool missing = false;
  std::vector<std::string> columns;
  // The first rows, each cell as text ("" for Null), on one line each.
  std::vector<std::vector<std::string>> rows;
  int64_t count = 0;    // every row of the table
};

// One engine: the databases of one kind of value. Thread-safe: one engine
// serves every thread; each Database it opens is for one thread at a time.
class Engine {
 public:
  virtual ~Engine() = default;

  // Opens an existing database, never creating one (DBEngine::OpenDatabase
  // lists the errors). An engine may serve a new open with a connection this
  // thread holds open already on the same database. The Database keeps
  // `settings` for its busy timeout and tells it of every row stored.
  virtual std::unique_ptr<Database> OpenDatabase(const std::string& name,
                                                 std::shared_ptr<DatabaseSettings> settings) = 0;
  // Creates the database with the component's two tables, or nothing at all
  // (DBEngine::CreateTargetDatabase lists the errors).
  virtual void CreateTargetDatabase(const std::string& name) = 0;
  // Reads, writing nothing, the first `most` rows of each table and their
  // count; a table that is not there is marked missing. The errors of
  // OpenDatabase.
  virtual std::vector<TableRows> ListRows(const std::string& name,
                                          const std::vector<std::string>& tables, size_t most,
                                          std::chrono::milliseconds busyTimeout) = 0;
};

// The engine that a database value names. Every value is an SQLite file
// path today; an engine chosen by how its values begin is named here ahead
// of that.
Engine& EngineFor(const std::string& name);

}  // namespace viruzedi
