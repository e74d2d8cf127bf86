#include "tests/database/support/EngineUnderTest.h"

namespace viruzedi::testing {

const EngineUnderTest kSqliteEngine{
    "SQLite", [](const TemporaryFolder& folder) { return folder / "magazzino.db"; },
    "SELECT lower(name) FROM sqlite_master WHERE type = 'table' ORDER BY 1",
    false};

}  // namespace viruzedi::testing
