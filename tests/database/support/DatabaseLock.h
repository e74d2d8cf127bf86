// Another program holding a database locked, inside an exclusive
// transaction, for as long as the test keeps it. Each engine's test support
// implements it: on an SQLite file the sqlite3 shell, on a server database a
// second session that locks every table.
#pragma once

#include <memory>
#include <string>

namespace viruzedi::testing {

class LockHolder;

class DatabaseLock {
 public:
  // Whether the SQLite shell can be run here (a server lock needs nothing more).
  static bool Available();

  // Starts the client on `database` and returns once its exclusive
  // transaction holds the write lock (taken as soon as a writer that holds
  // it lets go). `folder` receives the pipe that feeds
  // the shell. A shell that does not report the lock fails the test.
  // With `readersToo`, the shell keeps the file to itself (exclusive
  // locking mode), so that not even opening it for reading succeeds; a
  // server session then keeps out readers of the tables as well.
  DatabaseLock(const std::string& database, const std::string& folder, bool readersToo = false);
  // Releases the lock if still held.
  ~DatabaseLock();
  DatabaseLock(const DatabaseLock&) = delete;
  DatabaseLock& operator=(const DatabaseLock&) = delete;

  // Ends the shell's input: it rolls its transaction back and exits, so
  // the lock is free when this returns.
  void Release();

 private:
  std::unique_ptr<LockHolder> holder_;
};

}  // namespace viruzedi::testing
