// One open SQLite file of the engine: the open with its checks and error
// numbers, the tables' declared schema, the prepared INSERTs, durability and
// the listing. The layer in database/ shares it among the Databases that
// this thread opens on the file; the last one to let go closes it.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "database/Engine.h"

namespace viruzedi {

// Opens an existing file, never creating one: for reading and writing (WAL
// mode and synchronous=NORMAL turned on, a page cache of 256 KiB), or for
// reading only (a file without a WAL read as unchanging where its WAL mode's
// shared memory cannot be made). Throws 3024, 3045, 3051 (a path SQLite
// cannot take included: SqlitePathProblem) or 3343 (Database.h).
std::unique_ptr<EngineConnection> OpenSqliteFile(const std::string& path, bool readOnly,
                                                 std::chrono::milliseconds busyTimeout);

}  // namespace viruzedi
