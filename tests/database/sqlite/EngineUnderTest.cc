#include "tests/database/support/EngineUnderTest.h"

namespace viruzedi::testing {

const EngineUnderTest kSqliteEngine{
    "SQLite", [](const TemporaryFolder& folder) { return folder / "magazzino.db"; }};

}  // namespace viruzedi::testing
