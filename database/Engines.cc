// The choice of engine from the database value.
#include "database/Engine.h"

namespace viruzedi {

// Each engine's one instance, defined in the engine's own folder.
Engine& SqliteFileEngine();

Engine& EngineFor(const std::string&) {
  // A value that names no other engine is a file path.
  return SqliteFileEngine();
}

}  // namespace viruzedi
