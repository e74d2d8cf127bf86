// A PostgreSQL server of a test's own, which the test may stop as a crash
// would and start again; stopped and removed when the object goes.
#pragma once

#include <string>

#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

class OwnServer {
 public:
  OwnServer();
  ~OwnServer();
  OwnServer(const OwnServer&) = delete;
  OwnServer& operator=(const OwnServer&) = delete;

  // The database `postgres`; "" when the server did not start.
  const std::string& uri() const { return uri_; }
  // The URI of a new database `name` made on the server.
  std::string NewDatabase(const std::string& name) const;

  // Ends the server at once (`-m immediate`), as a crash or a power cut
  // would: no session is told, nothing is tidied.
  bool Crash() const;
  bool Start();

 private:
  std::string Command(const std::string& command) const;

  TemporaryFolder folder_;
  std::string uri_;
};

}  // namespace viruzedi::testing
