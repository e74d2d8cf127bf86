#include "database/TableSchema.h"

#include <algorithm>

#include "base/NameFolding.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {

std::optional<size_t> TableSchema::FindColumn(const std::string& name) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == name) return i;
  }
  std::string folded = FoldName(name);
  std::optional<size_t> found;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (FoldName(columns[i].name) != folded) continue;
    if (found) return std::nullopt;
    found = i;
  }
  return found;
}

BoundRow BindRow(const TableSchema& table, const Row& row) {
  BoundRow bound;
  for (const RowColumn& named : row.columns) {
    std::optional<size_t> column = table.FindColumn(named.column);
    if (!column) RaiseDatabaseError(kDbUnknownColumn, named.column);
    if (std::find(bound.columns.begin(), bound.columns.end(), *column) != bound.columns.end()) {
      RaiseDatabaseError(kDbSyntaxError,
                         std::string(syntax::kRepeatedColumn) + " ('" + named.column + "')");
    }
    bound.columns.push_back(*column);
  }
  // Every value is checked before anything is written, so a row with one
  // bad value stores nothing.
  for (size_t i = 0; i < bound.columns.size(); ++i) {
    const ColumnSchema& column = table.columns[bound.columns[i]];
    bound.values.push_back(ValueOfRowValue(row.columns[i].value, column.kind, column.name));
  }
  return bound;
}

void CheckColumnLimits(const ColumnSchema& column, const BoundValue& value) {
  if (std::holds_alternative<std::monostate>(value)) return;
  if (column.onlyNull) RaiseDatabaseError(kDbTypeMismatch, column.name);
  if (const int64_t* integer = std::get_if<int64_t>(&value)) {
    if ((column.minimum && *integer < *column.minimum) ||
        (column.maximum && *integer > *column.maximum)) {
      RaiseDatabaseError(kDbNumberOutOfRange, column.name);
    }
  } else if (const std::string* text = std::get_if<std::string>(&value)) {
    if (!column.maxLength) return;
    size_t characters = 0;
    for (char c : *text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters > *column.maxLength) RaiseDatabaseError(kDbTextTooLong, column.name);
  }
}

}  // namespace viruzedi
