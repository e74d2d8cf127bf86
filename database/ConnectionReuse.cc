#include "database/ConnectionReuse.h"

#include <algorithm>
#include <vector>

#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

struct HeldConnection {
  Engine* engine;
  std::string key;
  std::chrono::milliseconds busyTimeout;
  std::weak_ptr<Connection> connection;
};

// Only this thread's: nothing here needs a lock, and no connection is ever
// handed to another thread.
thread_local std::vector<HeldConnection> held;

}  // namespace

std::shared_ptr<Connection> OpenConnection(Engine& engine, const std::string& name,
                                           std::chrono::milliseconds busyTimeout) {
  const std::string key = engine.ReuseKey(name);
  std::erase_if(held, [](const HeldConnection& entry) { return entry.connection.expired(); });
  auto entry = std::find_if(held.begin(), held.end(), [&](const HeldConnection& each) {
    return each.engine == &engine && each.key == key && each.busyTimeout == busyTimeout;
  });
  if (!key.empty() && entry != held.end()) {
    if (std::shared_ptr<Connection> shared = entry->connection.lock()) {
      const bool inTransaction = shared->InTransaction();
      if (shared->engine().StillServes(name, inTransaction)) return shared;
      if (inTransaction) {
        RaiseDatabaseError(kDbConnectionLost, "'" + shared->engine().Shown() + "'");
      }
    }
  }
  auto made = std::make_shared<Connection>(engine.Connect(name, busyTimeout));
  if (key.empty()) return made;
  // The entry of a connection that no longer served makes way for the new.
  if (entry != held.end()) {
    entry->connection = made;
  } else {
    held.push_back({&engine, key, busyTimeout, made});
  }
  return made;
}

}  // namespace viruzedi
