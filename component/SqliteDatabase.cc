#include "component/SqliteDatabase.h"

#include <algorithm>

#include "component/DatabaseMessages.h"
#include "component/StatementParser.h"

namespace viruzedi {

void SqliteDatabase::Execute(const std::string& statement) {
  connection_->CheckOpen();
  InsertStatement insert = ParseInsert(statement);
  const TableSchema& table = connection_->Table(insert.table);
  std::vector<size_t> columns;
  std::vector<BoundValue> values;
  for (size_t i = 0; i < insert.columns.size(); ++i) {
    std::optional<size_t> column = table.FindColumn(insert.columns[i]);
    if (!column) RaiseDatabaseError(kDbUnknownColumn, insert.columns[i]);
    if (std::find(columns.begin(), columns.end(), *column) != columns.end()) {
      RaiseDatabaseError(kDbSyntaxError, std::string(syntax::kRepeatedColumn) + " ('" +
                                             insert.columns[i] + "')");
    }
    columns.push_back(*column);
  }
  // Every value is checked before anything is written, so a statement with
  // one bad value stores nothing.
  for (size_t i = 0; i < columns.size(); ++i) {
    const ColumnSchema& column = table.columns[columns[i]];
    values.push_back(ValueOfLiteral(insert.values[i], column.kind, column.name));
  }
  connection_->Insert(table, columns, values);
}

std::unique_ptr<Recordset> SqliteDatabase::OpenRecordset(const std::string& source, int) {
  connection_->CheckOpen();
  std::string name = ParseSelectAll(source);
  return std::make_unique<SqliteRecordset>(connection_, connection_->Table(name));
}

void SqliteRecordset::CheckOpen() const {
  if (connection_ == nullptr) RaiseDatabaseError(kDbObjectClosed);
  connection_->CheckOpen();
}

void SqliteRecordset::AddNew() {
  CheckOpen();
  newRow_.emplace();
}

void SqliteRecordset::SetCollect(const std::string& field, const Variant& value) {
  CheckOpen();
  std::optional<size_t> column = table_->FindColumn(field);
  if (!column) RaiseDatabaseError(kDbUnknownField, field);
  if (!newRow_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
  const ColumnSchema& schema = table_->columns[*column];
  (*newRow_)[*column] = ValueOfVariant(value, schema.kind, schema.name);
}

void SqliteRecordset::Update(int, bool) {
  CheckOpen();
  if (!newRow_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
  std::vector<size_t> columns;
  std::vector<BoundValue> values;
  for (const auto& [column, value] : *newRow_) {
    columns.push_back(column);
    values.push_back(value);
  }
  // On a failure (a lock, the disk) the row stays pending, as it was.
  connection_->Insert(*table_, columns, values);
  newRow_.reset();
}

void SqliteRecordset::Close() {
  newRow_.reset();
  connection_.reset();
}

}  // namespace viruzedi
