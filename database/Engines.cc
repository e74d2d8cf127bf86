// The choice of engine from the database value.
#include "database/Engine.h"

#include <functional>
#include <string_view>
#include <utility>

#include "database/odbc/OdbcNames.h"

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

Engine& PickEngine(const std::string& name) {
  // ODBC connection strings, on every system.
  if (IsOdbcConnectionString(name)) return OdbcDatabaseEngine();
  // libpq's two URI schemes name a server; the scheme is matched as libpq
  // matches it, in small letters.
  std::string_view value = name;
  bool server = value.starts_with("postgresql://") || value.starts_with("postgres://");
#ifdef _WIN32
  // Only ODBC reaches a server here; a file goes through the Access driver.
  if (server) RefuseServerUri(name);
  return OdbcDatabaseEngine();
#else
  if (server) return PostgresEngine();
  // A value that names no other engine is a file path.
  return SqliteFileEngine();
#endif
}

}  // namespace

Engine& EngineFor(const std::string& name) {
  Engine& picked = PickEngine(name);
  return Route() ? Route()(picked) : picked;
}

void RouteEnginesThrough(std::function<Engine&(Engine&)> through) { Route() = std::move(through); }

}  // namespace viruzedi
