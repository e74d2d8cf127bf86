// Another program holding a database file locked: the sqlite3 shell inside
// an exclusive transaction, for as long as the test keeps it.
#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "platform/ChildProcess.h"

namespace viruzedi::testing {

class DatabaseLock {
 public:
  // Whether the sqlite3 shell can be run here.
  static bool ShellAvailable();

  // Starts the shell on `database` and returns once its exclusive
  // transaction holds the write lock (taken as soon as a writer that holds
  // it lets go). `folder` receives the pipe that feeds
  // the shell. A shell that does not report the lock fails the test.
  // With `readersToo`, the shell keeps the file to itself (exclusive
  // locking mode), so that not even opening it for reading succeeds.
  // Without `takeNow` the shell only starts, and Take() takes the lock
  // later without the delay of starting a program.
  DatabaseLock(const std::string& database, const std::string& folder, bool readersToo = false,
               bool takeNow = true);
  // Releases the lock if still held.
  ~DatabaseLock();
  DatabaseLock(const DatabaseLock&) = delete;
  DatabaseLock& operator=(const DatabaseLock&) = delete;

  // Takes the lock, returning once it holds it (see the constructor).
  void Take();
  // Ends the shell's input: it rolls its transaction back and exits, so
  // the lock is free when this returns.
  void Release();

 private:
  std::unique_ptr<ChildProcess> shell_;
  std::ofstream input_;
  bool readersToo_;
};

}  // namespace viruzedi::testing
