// Helpers of the database tests: a second, direct SQLite connection to the
// file under test, to make tables, hold locks and read back what the engine
// stored, independently of the engine itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ErrorOf.h"

struct sqlite3;

namespace viruzedi::testing {

class RawDatabase {
 public:
  // Opens (creating when missing) the file with plain SQLite.
  explicit RawDatabase(const std::string& path);
  ~RawDatabase();
  RawDatabase(const RawDatabase&) = delete;
  RawDatabase& operator=(const RawDatabase&) = delete;

  // Runs SQL; fails the test (and returns false) on an error.
  bool Exec(const std::string& sql);
  // The rows of a query, one text per row: the cells in SQL literal form,
  // joined by ", ": 12 (integer), 2.5 or 2.0 (real), 'A1' (text, quotes
  // not doubled), NULL.
  std::vector<std::string> Rows(const std::string& sql);
  // The single value of a query, in the same form.
  std::string Value(const std::string& sql);

 private:
  sqlite3* db_ = nullptr;
};

// True when this process ignores file permissions (runs as root), so tests
// of refused permissions cannot be made real.
bool PermissionsIgnored(const std::string& folder);

}  // namespace viruzedi::testing
