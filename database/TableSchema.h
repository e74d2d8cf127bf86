// A table as every engine describes it: its columns by name, each with the
// engine-neutral kind of value it takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/ColumnValue.h"

namespace viruzedi {

struct ColumnSchema {
  std::string name;          // as declared
  std::string declaredType;  // as declared, "" when none
  ColumnKind kind = ColumnKind::Any;
  // Limits narrower than the kind's that an engine knows of its column
  // (none for an engine whose columns take any length and any 64-bit
  // integer): the integers it takes, the most characters of its text, and
  // whether it takes no value but Null (a type of none of the kinds).
  std::optional<int64_t> minimum;
  std::optional<int64_t> maximum;
  std::optional<size_t> maxLength;
  bool onlyNull = false;
  // Whether a text of the column may hold no NUL character, which an
  // engine whose texts end at the first (a server's) would cut short or
  // refuse.
  bool textWithoutNul = false;
  // A number's column narrower than a double: a decimal of `precision`
  // digits, `scale` of them after the point (a value is rounded to `scale`
  // places, halves away from zero, and must then have no more than
  // precision - scale digits before the point), or a single-precision real.
  struct Decimal {
    int precision = 0;
    int scale = 0;
  };
  std::optional<Decimal> decimal;
  bool singlePrecision = false;
  // The engine's own code of the column's type, for an engine that binds
  // values by it (ODBC's SQL types); 0 elsewhere.
  int engineType = 0;
};

struct TableSchema {
  std::string name;  // as declared
  std::vector<ColumnSchema> columns;
  // Index of the column named so: an exact match first, else the only one
  // that matches without regard to case (a server keeps names that differ
  // only in case apart; when two such columns both match, neither is meant).
  std::optional<size_t> FindColumn(const std::string& name) const;
};

// A row matched to the columns of its table, every value converted to its
// column's kind: the column indexes and the values to bind, in the row's
// order. 3127 for a column the table lacks (3265 for a record set's field),
// 3134 for a column named twice, 3464 for a value of the wrong type (3421
// for a record set's field); nothing is written before all pass.
struct BoundRow {
  std::vector<size_t> columns;
  std::vector<BoundValue> values;
};
BoundRow BindRow(const TableSchema& table, const Row& row);
// BindRow in two steps, for a writer of many rows that name the same
// columns: the columns' indexes, with their errors (3127, 3265, 3134); then
// the values of a row whose columns `bound.columns` holds already, into
// `bound.values` (3464, 3421, 3134 for a date that names no day).
std::vector<size_t> BindColumns(const TableSchema& table, const Row& row);
void BindValues(const TableSchema& table, const Row& row, BoundRow& bound);

// Checks a bound value against the column's limits: 3464 for a value in a
// column that takes only Null, 3349 for an integer outside its range or a
// number its decimal or single-precision column cannot hold (read in its
// shortest decimal form, as an engine sends it), 3163 for a text longer
// than its most characters (counted as UTF-8 characters), 3464 for a text
// holding a NUL character where the column takes none. Each names the
// column.
void CheckColumnLimits(const ColumnSchema& column, const BoundValue& value);

}  // namespace viruzedi
