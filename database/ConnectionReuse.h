// How the Databases of one thread share their connections, the same for
// every engine.
//
// An import that opens its database for every record (the infrared download
// does, by its contract) would otherwise pay for a new connection, its
// table reads and its prepared INSERT each time, several times the cost of
// the row itself. So:
//   - A new open shares the connection that this thread holds open on the
//     same database (Engine::ReuseKey) with the same busy timeout, for as
//     long as a Database or record set of the thread holds it. Nothing keeps
//     a connection for later: when the last holder lets it go it closes,
//     and a file is free again for other programs. An import that opens per
//     record holds one open throughout.
//   - A connection is checked before it is shared again (EngineConnection::
//     StillServes): the file still at its name and unchanged in its rights,
//     the server's session still there. Outside a transaction one that no
//     longer serves is replaced by a new one (its holders keep the old one);
//     inside a transaction the open fails with 3146, since the rows written
//     in it went with the connection, and the import must hear of that
//     rather than write on without them.
//   - The tables a shared connection read are checked again at the first
//     table a new Database looks up, outside a transaction (Connection::
//     ForgetChangedTables), so that it sees what a new connection would.
//   - Each thread has connections of its own: a connection is used by the
//     thread that opened it only.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "database/Connection.h"
#include "database/Engine.h"

namespace viruzedi {

// This thread's connection to the database `name` of `engine`, shared or
// new as above: the errors of Engine::Connect, and 3146.
std::shared_ptr<Connection> OpenConnection(Engine& engine, const std::string& name,
                                           std::chrono::milliseconds busyTimeout);

}  // namespace viruzedi
