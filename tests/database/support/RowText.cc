#include "tests/database/support/RowText.h"

#include <cstdio>

namespace viruzedi::testing {

std::string RowText(const Row& row) {
  std::string text = row.table + ":";
  for (size_t i = 0; i < row.columns.size(); ++i) {
    const RowValue& value = row.columns[i].value;
    text += (i == 0 ? " " : ", ") + row.columns[i].column + "=";
    switch (value.kind) {
      case RowValue::Kind::Null:
        text += "Null";
        break;
      case RowValue::Kind::Text:
        text += "'" + value.text + "'";
        break;
      case RowValue::Kind::Integer:
        text += value.WrittenNumber();
        break;
      case RowValue::Kind::Number:
        text += "number " + value.WrittenNumber();
        break;
      case RowValue::Kind::Date: {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", value.date.year, value.date.month,
                      value.date.day);
        text += std::string("date ") + date;
        break;
      }
      case RowValue::Kind::Field:
        // What a record set's field is given: the tests give texts.
        text += value.field.type() == Variant::Type::String
                    ? "field '" + value.field.AsString() + "'"
                    : std::string("field");
        break;
    }
  }
  return text;
}

}  // namespace viruzedi::testing
