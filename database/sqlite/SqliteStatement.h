// A prepared SQLite statement that finalizes itself: every statement of the
// engine is held so, whether kept for reuse or made for one query.
#pragma once

#include <sqlite3.h>

#include <memory>

namespace viruzedi {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

}  // namespace viruzedi
