#include "database/AppendOnlyRecordset.h"

#include "database/DatabaseMessages.h"

namespace viruzedi {

void AppendOnlyRecordset::CheckOpen() const {
  if (session_ == nullptr) RaiseDatabaseError(kDbObjectClosed);
  session_->Open();
}

void AppendOnlyRecordset::AddNew() {
  CheckOpen();
  newRow_.emplace();
}

void AppendOnlyRecordset::SetCollect(const std::string& field, const Variant& value) {
  CheckOpen();
  const TableSchema& table = table_->schema;
  std::optional<size_t> column = table.FindColumn(field);
  if (!column) RaiseDatabaseError(kDbUnknownField, field);
  if (!newRow_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
  const ColumnSchema& schema = table.columns[*column];
  (*newRow_)[*column] = ValueOfVariant(value, schema.kind, schema.name);
}

void AppendOnlyRecordset::Update(int, bool) {
  CheckOpen();
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

void AppendOnlyRecordset::Close() {
  newRow_.reset();
  session_.reset();
}

}  // namespace viruzedi
