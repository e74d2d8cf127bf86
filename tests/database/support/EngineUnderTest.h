// The engines that the shared database tests run on: a parameterised suite
// takes one of these, makes its database with NewDatabase and reaches it
// beside the engine through RawDatabase, QueryRows and DatabaseLock, which
// tell the engines apart by the database's name as the component does.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

struct EngineUnderTest {
  // Shown in the test's name.
  const char* name;
  // A database name, each call a new one, that DBEngine::CreateTargetDatabase
  // has not made yet: an SQLite file in `folder` that does not exist yet, or
  // an empty database on the test server, dropped when the program ends.
  std::string (*NewDatabase)(const TemporaryFolder& folder);
  // The names of the database's tables in small letters, sorted, as a query.
  const char* tableNames;
  // Whether a row that a constraint refuses ends the database's whole
  // transaction (a server's), so that the engine must redo the rows before
  // it under savepoints.
  bool refusalEndsTransaction;
};

extern const EngineUnderTest kSqliteEngine;
extern const EngineUnderTest kPostgresqlEngine;
// The ODBC engine through the SQLite driver on a file, and through the
// PostgreSQL driver on the test server.
extern const EngineUnderTest kOdbcSqliteEngine;
extern const EngineUnderTest kOdbcPostgresqlEngine;

// The URI of the database `postgres` on the test server: the one the CTest
// fixture started (its URI in pg-test/uri of the build folder, or in the file
// that VIRUZEDI_TEST_PG names), or, for a test program run by hand, one this
// program starts there with pg-test-server and leaves running.
std::string TestServerUri();

// The connection keywords that the installed PostgreSQL client knows.
std::vector<std::string> PostgresClientKeywords();

// Every engine that the shared tests run on.
const std::vector<const EngineUnderTest*>& EnginesUnderTest();

// For INSTANTIATE_TEST_SUITE_P: the engine's name as the suffix.
struct EngineName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    return info.param->name;
  }
};

// A test suite on one engine, its parameter.
using EngineTest = ::testing::TestWithParam<const EngineUnderTest*>;

}  // namespace viruzedi::testing

// Runs a suite of EngineTest on every engine, or on SQLite alone for what is
// the file's own (its permissions, its journal, the file behind the name).
#define INSTANTIATE_FOR_EVERY_ENGINE(suite)                                       \
  INSTANTIATE_TEST_SUITE_P(Engines, suite,                                        \
                           ::testing::ValuesIn(::viruzedi::testing::EnginesUnderTest()), \
                           ::viruzedi::testing::EngineName())
#define INSTANTIATE_FOR_SQLITE(suite)                                                   \
  INSTANTIATE_TEST_SUITE_P(File, suite, ::testing::Values(&::viruzedi::testing::kSqliteEngine), \
                           ::viruzedi::testing::EngineName())
