// The choice of engine from the database value.
#include "database/Engine.h"

#include <string_view>

namespace viruzedi {

// Each engine's one instance, defined in the engine's own folder.
Engine& SqliteFileEngine();
Engine& PostgresEngine();

Engine& EngineFor(const std::string& name) {
  // libpq's two URI schemes name a server; the scheme is matched as libpq
  // matches it, in small letters.
  std::string_view value = name;
  if (value.starts_with("postgresql://") || value.starts_with("postgres://")) {
    return PostgresEngine();
  }
  // A value that names no other engine is a file path.
  return SqliteFileEngine();
}

}  // namespace viruzedi
