#include "database/sqlite/SqliteDatabase.h"

#include "database/DatabaseMessages.h"
#include "database/StatementParser.h"

namespace viruzedi {

SqliteConnection& DatabaseSession::Connection() const {
  if (connection == nullptr) RaiseDatabaseError(kDbObjectClosed);
  connection->CheckOpen();
  return *connection;
}

void DatabaseSession::Insert(const TableSchema& table, const std::vector<size_t>& columns,
                             const std::vector<BoundValue>& values) {
  if (Connection().Insert(table, columns, values)) {
    settings->NotifyRowStored();
  } else {
    ++rowsRefused;
  }
}

void SqliteDatabase::InsertRow(const Row& row) {
  SqliteConnection& connection = session_->Connection();
  const TableSchema& table = connection.Table(row.table);
  BoundRow bound = BindRow(table, row);
  session_->Insert(table, bound.columns, bound.values);
}

void SqliteDatabase::Close() {
  // The connection may live on, shared with other opens of the file: what
  // this Database began must not stay open under them.
  RollbackTransaction();
  session_->connection.reset();
}

void SqliteDatabase::BeginTransaction() {
  session_->Connection().Begin();
  session_->inTransaction = true;
}

void SqliteDatabase::CommitTransaction() {
  session_->Connection().Commit();
  session_->inTransaction = false;
}

void SqliteDatabase::RollbackTransaction() noexcept {
  if (!session_->inTransaction) return;
  session_->inTransaction = false;
  if (session_->connection) session_->connection->Rollback();
}

TableSchema SqliteDatabase::Schema(const std::string& name) {
  return session_->Connection().Table(name);
}

std::unique_ptr<Recordset> SqliteDatabase::OpenRecordset(const std::string& source, int) {
  SqliteConnection& connection = session_->Connection();
  std::string name = ParseSelectAll(source);
  return std::make_unique<SqliteRecordset>(session_, connection.Table(name));
}

SqliteConnection& SqliteRecordset::Connection() const {
  if (session_ == nullptr) RaiseDatabaseError(kDbObjectClosed);
  return session_->Connection();
}

void SqliteRecordset::AddNew() {
  Connection();
  newRow_.emplace();
}

void SqliteRecordset::SetCollect(const std::string& field, const Variant& value) {
  Connection();
  std::optional<size_t> column = table_->FindColumn(field);
  if (!column) RaiseDatabaseError(kDbUnknownField, field);
  if (!newRow_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
  const ColumnSchema& schema = table_->columns[*column];
  (*newRow_)[*column] = ValueOfVariant(value, schema.kind, schema.name);
}

void SqliteRecordset::Update(int, bool) {
  Connection();
  if (!newRow_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
  std::vector<size_t> columns;
  std::vector<BoundValue> values;
  for (const auto& [column, value] : *newRow_) {
    columns.push_back(column);
    values.push_back(value);
  }
  // On a failure (a lock, the disk) the row stays pending, as it was.
  session_->Insert(*table_, columns, values);
  newRow_.reset();
}

void SqliteRecordset::Close() {
  newRow_.reset();
  session_.reset();
}

}  // namespace viruzedi
