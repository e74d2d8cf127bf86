// The engines that the shared database tests run on: a parameterised suite
// takes one of these, makes its database with NewDatabase and reaches it
// beside the engine through RawDatabase, QueryRows and DatabaseLock, which
// tell the engines apart by the database's name as the component does.
#pragma once

#include <string>

#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

struct EngineUnderTest {
  // Shown in the test's name.
  const char* name;
  // A database name, each call a new one, that DBEngine::CreateTargetDatabase
  // has not made yet: an SQLite file in `folder` that does not exist yet, or
  // an empty database on the test server, dropped when the program ends.
  std::string (*NewDatabase)(const TemporaryFolder& folder);
};

extern const EngineUnderTest kSqliteEngine;
extern const EngineUnderTest kPostgresqlEngine;

// The URI of the database `postgres` on the test server: the one the CTest
// fixture started (its URI in pg-test/uri of the build folder, or in the file
// that VIRUZEDI_TEST_PG names), or, for a test program run by hand, one this
// program starts there with pg-test-server and leaves running.
std::string TestServerUri();

// For INSTANTIATE_TEST_SUITE_P: the engine's name as the suffix.
struct EngineName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    return info.param->name;
  }
};

}  // namespace viruzedi::testing
