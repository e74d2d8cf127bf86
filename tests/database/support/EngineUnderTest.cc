#include "tests/database/support/EngineUnderTest.h"

namespace viruzedi::testing {

const std::vector<const EngineUnderTest*>& EnginesUnderTest() {
  static const std::vector<const EngineUnderTest*> engines{&kSqliteEngine, &kPostgresqlEngine,
                                                         &kOdbcSqliteEngine,
                                                         &kOdbcPostgresqlEngine};
  return engines;
}

}  // namespace viruzedi::testing
