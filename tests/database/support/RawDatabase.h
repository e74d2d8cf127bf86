// Helpers of the database tests: a second, direct connection to the
// database under test, beside the engine, to make tables, read back what the
// engine stored and count what reached the file itself. Declared for every
// engine; each engine's test support (tests/database/<engine>/) implements it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "tests/support/ErrorOf.h"

namespace viruzedi::testing {

// A stored value as the database gives it back: Null, an integer, a real or
// a text.
using StoredValue = std::variant<std::monostate, int64_t, double, std::string>;

class RawConnection;

class RawDatabase {
 public:
  // Opens the database: an SQLite file, made empty when it is missing, or a
  // server database by its URI.
  explicit RawDatabase(const std::string& database);
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
  // The rows of a query, each cell as stored.
  std::vector<std::vector<StoredValue>> Cells(const std::string& sql);

 private:
  std::unique_ptr<RawConnection> connection_;
};

// The rows of a query on a database opened for reading only, each row its
// cells as text joined by "|" (NULL for Null). Fails the test when the
// database cannot be opened or the query is refused.
std::vector<std::string> QueryRows(const std::string& database, const std::string& query);

// An SQLite file's own: the rows of `table` that a reader finds in the
// database file itself, without what a journal beside it still holds: what
// survives the loss of everything not yet made durable. -1 when it cannot be
// read.
int64_t RowsInTheFileItself(const std::string& database, const std::string& table);

// True when this process ignores file permissions (runs as root), so tests
// of refused permissions cannot be made real.
bool PermissionsIgnored(const std::string& folder);

}  // namespace viruzedi::testing
