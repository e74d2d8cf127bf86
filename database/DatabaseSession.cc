#include "database/DatabaseSession.h"

#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {

Connection& DatabaseSession::Open() const {
  if (!connection) RaiseDatabaseError(kDbObjectClosed);
  return *connection;
}

std::shared_ptr<const KnownTable> DatabaseSession::Table(const std::string& name) {
  Connection& open = Open();
  if (!tablesChecked) {
    open.ForgetChangedTables();
    tablesChecked = true;
  }
  return open.Table(name);
}

void DatabaseSession::Insert(const KnownTable& table, const std::vector<size_t>& columns,
                             const std::vector<BoundValue>& values) {
  if (Open().Insert(table, columns, values)) {
    Stored();
  } else {
    Refused();
  }
}

}  // namespace viruzedi
