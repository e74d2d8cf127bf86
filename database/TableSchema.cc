#include "database/TableSchema.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/NameFolding.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

// The shortest decimal form of `value` that reads back as it, in
// scientific notation: "d.ddde+XX", as an engine sends the number.
std::string ShortestScientific(double value) {
  char text[64];
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  return error == std::errc() ? std::string(text, end) : std::string();
}

bool FitsDecimal(double value, const ColumnSchema::Decimal& decimal) {
  if (!std::isfinite(value)) return false;
  if (value == 0) return true;
  const std::string text = ShortestScientific(value);
  const size_t exponentAt = text.find('e');
  std::string digits;
  for (size_t i = 0; i < exponentAt; ++i) {
    if (text[i] >= '0' && text[i] <= '9') digits += text[i];
  }
  // value = 0.d1d2...dn × 10^(exponent + 1), d1 not zero.
  int exponent = std::atoi(text.c_str() + exponentAt + 1);
  // The digits kept once rounded to `scale` places; none kept rounds to
  // zero or to one unit of the last place, which always fits.
  const long kept = static_cast<long>(exponent) + 1 + decimal.scale;
  if (kept <= 0) return true;
  if (static_cast<size_t>(kept) < digits.size() && digits[static_cast<size_t>(kept)] >= '5') {
    // Rounding up carries past the first digit only when every kept one is 9.
    if (digits.find_first_not_of('9') >= static_cast<size_t>(kept)) ++exponent;
  }
  return exponent + 1 <= decimal.precision - decimal.scale;
}

bool FitsSinglePrecision(double value) {
  const std::string text = ShortestScientific(value);
  errno = 0;
  const float single = std::strtof(text.c_str(), nullptr);
  // Too large, or so small that nothing of it is left.
  return !(errno == ERANGE && (single == 0 || std::isinf(single)));
}

}  // namespace

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

std::vector<size_t> BindColumns(const TableSchema& table, const Row& row) {
  std::vector<size_t> columns;
  columns.reserve(row.columns.size());
  for (const RowColumn& named : row.columns) {
    std::optional<size_t> column = table.FindColumn(named.column);
    if (!column) {
      const bool field = named.value.kind == RowValue::Kind::Field;
      RaiseDatabaseError(field ? kDbUnknownField : kDbUnknownColumn, named.column);
    }
    if (std::find(columns.begin(), columns.end(), *column) != columns.end()) {
      RaiseDatabaseError(kDbSyntaxError,
                         std::string(syntax::kRepeatedColumn) + " ('" + named.column + "')");
    }
    columns.push_back(*column);
  }
  return columns;
}

void BindValues(const TableSchema& table, const Row& row, BoundRow& bound) {
  bound.values.clear();
  // Every value is checked before anything is written, so a row with one
  // bad value stores nothing.
  for (size_t i = 0; i < bound.columns.size(); ++i) {
    const ColumnSchema& column = table.columns[bound.columns[i]];
    bound.values.push_back(ValueOfRowValue(row.columns[i].value, column.kind, column.name));
  }
}

BoundRow BindRow(const TableSchema& table, const Row& row) {
  BoundRow bound;
  bound.columns = BindColumns(table, row);
  BindValues(table, row, bound);
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
  } else if (const double* number = std::get_if<double>(&value)) {
    if ((column.decimal && !FitsDecimal(*number, *column.decimal)) ||
        (column.singlePrecision && !FitsSinglePrecision(*number))) {
      RaiseDatabaseError(kDbNumberOutOfRange, column.name);
    }
  } else if (const std::string* text = std::get_if<std::string>(&value)) {
    if (column.textWithoutNul && text->find('\0') != std::string::npos) {
      RaiseDatabaseError(kDbTypeMismatch, column.name);
    }
    if (!column.maxLength) return;
    size_t characters = 0;
    for (char c : *text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters > *column.maxLength) RaiseDatabaseError(kDbTextTooLong, column.name);
  }
}

}  // namespace viruzedi
