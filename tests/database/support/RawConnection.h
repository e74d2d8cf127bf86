// What each engine's test support supplies behind RawDatabase, QueryRows and
// DatabaseLock: the one binary of the database tests holds every engine, and
// the database's name chooses among them as it does in the component.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {

class RawConnection {
 public:
  virtual ~RawConnection() = default;
  // Runs SQL, which may be several statements; fails the test on an error.
  virtual bool Exec(const std::string& sql) = 0;
  virtual std::vector<std::vector<StoredValue>> Cells(const std::string& sql) = 0;
};

// Another session holding a lock until released (or destroyed).
class LockHolder {
 public:
  virtual ~LockHolder() = default;
  virtual void Release() = 0;
};

// True for a value that names a server database rather than a file.
bool IsServerDatabase(const std::string& database);
// The database an ODBC connection string names, as its native client names
// it (a file path or a server URI); any other value as it is.
std::string NativeDatabase(const std::string& database);

std::unique_ptr<RawConnection> OpenSqliteConnection(const std::string& path);
std::vector<std::string> SqliteQueryRows(const std::string& path, const std::string& query);
std::unique_ptr<LockHolder> HoldSqliteLock(const std::string& path, const std::string& folder,
                                           bool readersToo);

std::unique_ptr<RawConnection> OpenServerConnection(const std::string& uri);
std::vector<std::string> ServerQueryRows(const std::string& uri, const std::string& query);
std::unique_ptr<LockHolder> HoldServerLock(const std::string& uri, bool readersToo);

}  // namespace viruzedi::testing
