// A row handed to the engine by value, with the kind of each value: what
// every import stores, with no statement text between it and the engine.
// A statement (Database::Execute) is parsed into the same row.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "database/StatementParser.h"
#include "viruzedi/Variant.h"

namespace viruzedi {

struct RowValue {
  // Field: a value given to a record set's field (Recordset::SetCollect),
  // converted as the record set converts it.
  enum class Kind { Null, Text, Integer, Number, Date, Field };
  Kind kind = Kind::Null;
  // Text: the text. Integer and Number: the number as a statement wrote
  // it, "-" when negative, no blanks ("12", "-1.5", ".5", "1E+15"): a text
  // column stores it so, and an integer column reads integer digits from it
  // exactly. Empty for a number made by Integer or Number, whose text only
  // a text column needs (WrittenNumber).
  std::string text;
  double number = 0;    // Integer and Number
  int64_t integer = 0;  // Integer when made by Integer: every digit of it
  CalendarDate date;    // Date
  Variant field;        // Field

  static RowValue Null() { return {}; }
  static RowValue Text(std::string text);
  static RowValue Integer(int64_t value);
  // A number as the imports store it: rounded to the 15 significant digits
  // of its Str form, which is what the statement form gave every quantity
  // (0.1 + 0.2 is stored as 0.3, 1/3 as 0.333333333333333).
  static RowValue Number(double value);
  static RowValue Date(const CalendarDate& date);
  static RowValue Field(const Variant& value);

  // Integer and Number: the number as written, as `text` says.
  std::string WrittenNumber() const;
};

struct RowColumn {
  // Matched without regard to case; one that the table lacks is 3127, or
  // 3265 for a record set's field (a value of kind Field).
  std::string column;
  RowValue value;
};

struct Row {
  std::string table;  // matched without regard to case
  std::vector<RowColumn> columns;
};

// A row of `table` with `columns`, each moved in (a braced list would copy
// every one: a cost per line of every file).
template <typename... Columns>
Row RowOf(std::string table, Columns&&... columns) {
  Row row{std::move(table), {}};
  row.columns.reserve(sizeof...(columns));
  (row.columns.push_back(std::forward<Columns>(columns)), ...);
  return row;
}

// The row a parsed statement stands for: its literals as typed values.
Row RowOfStatement(InsertStatement statement);

}  // namespace viruzedi
