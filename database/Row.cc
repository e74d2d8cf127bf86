#include "database/Row.h"

#include "base/Conversions.h"

namespace viruzedi {

RowValue RowValue::Text(std::string text) {
  RowValue value;
  value.kind = Kind::Text;
  value.text = std::move(text);
  return value;
}

RowValue RowValue::Integer(int64_t integer) {
  RowValue value;
  value.kind = Kind::Integer;
  value.number = static_cast<double>(integer);
  value.integer = integer;
  return value;
}

RowValue RowValue::Number(double number) {
  RowValue value;
  value.kind = Kind::Number;
  // The one place of the rounding: the Str form keeps 15 significant
  // digits, and its text read back is the stored number.
  value.number = StrRounded(number);
  return value;
}

std::string RowValue::WrittenNumber() const {
  if (!text.empty()) return text;
  if (kind == Kind::Integer) return IntegerText(integer);
  std::string written = Str(number);
  return written.front() == ' ' ? written.substr(1) : written;
}

RowValue RowValue::Date(const CalendarDate& date) {
  RowValue value;
  value.kind = Kind::Date;
  value.date = date;
  return value;
}

RowValue RowValue::Field(const Variant& value) {
  RowValue field;
  field.kind = Kind::Field;
  field.field = value;
  return field;
}

Row RowOfStatement(InsertStatement statement) {
  Row row{std::move(statement.table), {}};
  for (size_t i = 0; i < statement.columns.size(); ++i) {
    StatementLiteral& literal = statement.values[i];
    RowValue value;
    switch (literal.kind) {
      case StatementLiteral::Kind::Null:
        break;
      case StatementLiteral::Kind::Text:
        value = RowValue::Text(std::move(literal.text));
        break;
      case StatementLiteral::Kind::Date:
        value = RowValue::Date(literal.date);
        break;
      case StatementLiteral::Kind::Number:
        // Kept as written: whether it is an integer is the column's reading.
        value.kind = RowValue::Kind::Number;
        value.text = std::move(literal.text);
        value.number = literal.number;
        break;
    }
    row.columns.push_back({std::move(statement.columns[i]), std::move(value)});
  }
  return row;
}

}  // namespace viruzedi
