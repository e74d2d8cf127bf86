#include "database/sqlite/SqliteSession.h"

#include "database/DatabaseMessages.h"

namespace viruzedi {

void SqliteSession::CheckOpen() const { Connection(); }

SqliteConnection& SqliteSession::Connection() const {
  if (connection_ == nullptr) RaiseDatabaseError(kDbObjectClosed);
  connection_->CheckOpen();
  return *connection_;
}

const TableSchema& SqliteSession::Table(const std::string& name) {
  return Connection().Table(name);
}

bool SqliteSession::Insert(const TableSchema& table, const std::vector<size_t>& columns,
                           const std::vector<BoundValue>& values) {
  return Connection().Insert(table, columns, values);
}

void SqliteSession::Begin() { Connection().Begin(); }

void SqliteSession::Commit() { Connection().Commit(); }

void SqliteSession::Rollback() noexcept {
  if (connection_) connection_->Rollback();
}

void SqliteSession::MakeDurable() { Connection().MakeDurable(); }

std::vector<std::vector<std::string>> SqliteSession::Run(
    const std::string& sql, const std::vector<BoundValue>& parameters) {
  return Connection().Run(sql, parameters);
}

void SqliteSession::CreateLedgerTable() { Connection().CreateLedgerTable(); }

}  // namespace viruzedi
