// The choice of engine from the database value.
#include "database/Engine.h"

#include "database/DatabaseValue.h"
#include "database/odbc/OdbcNames.h"

namespace viruzedi {

// Each engine's one instance, defined in the engine's own folder.
Engine& OdbcDatabaseEngine();
#ifndef _WIN32
Engine& SqliteFileEngine();
Engine& PostgresEngine();
#endif

ChosenEngine EngineFor(const std::string& name) {
  DatabaseValue value = ReadDatabaseValue(name);
  switch (value.kind) {
    // ODBC connection strings, on every system.
    case DatabaseValueKind::kOdbcConnectionString: return {OdbcDatabaseEngine(), value.text};
#ifdef _WIN32
    // Only ODBC reaches a server here; a file goes through the Access driver.
    case DatabaseValueKind::kPostgresServer: RefusePostgresValue(value.text);
    case DatabaseValueKind::kFile: break;
  }
  return {OdbcDatabaseEngine(), value.text};
#else
    case DatabaseValueKind::kPostgresServer: return {PostgresEngine(), value.text};
    case DatabaseValueKind::kFile: break;
  }
  return {SqliteFileEngine(), value.text};
#endif
}

}  // namespace viruzedi
