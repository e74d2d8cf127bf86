// The choice of engine from the database value.
#include "database/Engine.h"

#include <functional>
#include <utility>

#include "database/DatabaseValue.h"
#include "database/ConnectionString.h"

namespace viruzedi {

// Each engine's one instance, defined in the engine's own folder.
Engine& OdbcDatabaseEngine();
#ifndef _WIN32
Engine& SqliteFileEngine();
Engine& PostgresEngine();
#endif

namespace {

std::function<Engine&(Engine&)>& Route() {
  static std::function<Engine&(Engine&)> through;
  return through;
}

ChosenEngine PickEngine(const std::string& name) {
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

}  // namespace

ChosenEngine EngineFor(const std::string& name) {
  ChosenEngine picked = PickEngine(name);
  if (!Route()) return picked;
  return {Route()(picked.engine), std::move(picked.value)};
}

void RouteEnginesThrough(std::function<Engine&(Engine&)> through) { Route() = std::move(through); }

}  // namespace viruzedi
