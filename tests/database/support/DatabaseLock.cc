#include "tests/database/support/DatabaseLock.h"

#include "tests/database/support/RawConnection.h"

namespace viruzedi::testing {

DatabaseLock::DatabaseLock(const std::string& name, const std::string& folder, bool readersToo) {
  const std::string database = NativeDatabase(name);
  holder_ = IsServerDatabase(database) ? HoldServerLock(database, readersToo)
                                       : HoldSqliteLock(database, folder, readersToo);
}

DatabaseLock::~DatabaseLock() { Release(); }

void DatabaseLock::Release() {
  if (holder_) holder_->Release();
}

}  // namespace viruzedi::testing
