#include "database/ColumnValue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "base/Conversions.h"
#include "base/Errors.h"
#include "base/NameFolding.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

bool Contains(std::string_view folded, std::string_view part) {
  return folded.find(part) != std::string_view::npos;
}

// Nearest integer, halves to even, when it fits 64 bits.
std::optional<int64_t> RoundToInteger(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::nearbyint(value);  // the default rounding: halves to even
  // 2^63 is exact in a double; every double below it converts exactly.
  if (rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0) {
    return std::nullopt;
  }
  return static_cast<int64_t>(rounded);
}

// An integer is read from the digits as written, so that integers beyond
// the 53 bits of a double keep every digit.
std::optional<int64_t> IntegerOfNumber(const RowValue& value) {
  if (value.text.empty()) {
    if (value.kind == RowValue::Kind::Integer) return value.integer;
    return RoundToInteger(value.number);
  }
  if (value.text.find_first_of(".eE") == std::string::npos) {
    int64_t integer = 0;
    const char* first = value.text.data();
    const char* last = first + value.text.size();
    auto [end, error] = std::from_chars(first, last, integer);
    if (error == std::errc() && end == last) return integer;
    return std::nullopt;
  }
  return RoundToInteger(value.number);
}

// Whether the number is written as an integer: no point, no exponent. A
// number made without its text is written so when it is whole and below the
// 15 digits from which its text takes an exponent.
bool WrittenAsInteger(const RowValue& value) {
  if (!value.text.empty()) return value.text.find_first_of(".eE") == std::string::npos;
  return value.kind == RowValue::Kind::Integer ||
         (std::nearbyint(value.number) == value.number && std::fabs(value.number) < 1e15);
}

// A number stored in a column of no type: an integer when written as one.
BoundValue AnyNumber(const RowValue& value) {
  if (WrittenAsInteger(value)) {
    if (std::optional<int64_t> integer = IntegerOfNumber(value)) return *integer;
  }
  return value.number;
}

std::string NumberText(double value) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string();
}

// "yyyy-mm-dd" naming a calendar date, or nothing.
std::optional<CalendarDate> DateOfStoredText(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto number = [&](size_t at, size_t length, int& out) {
    auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, out);
    return error == std::errc() && end == text.data() + at + length;
  };
  CalendarDate date;
  if (!number(0, 4, date.year) || !number(5, 2, date.month) || !number(8, 2, date.day)) {
    return std::nullopt;
  }
  if (!IsValidDate(date.year, date.month, date.day)) return std::nullopt;
  return date;
}

// A Variant as a number a column stores: an infinite one is none.
std::optional<double> FiniteNumberOfVariant(const Variant& value) {
  std::optional<double> number = NumberOfVariant(value);
  if (number && !std::isfinite(*number)) return std::nullopt;
  return number;
}

std::string TextOfVariant(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Boolean:
      return value.AsBoolean() ? "Vero" : "Falso";
    case Variant::Type::Integer:
      return std::to_string(value.AsInteger());
    case Variant::Type::Long:
      return std::to_string(value.AsLong());
    case Variant::Type::Double:
      return NumberText(value.AsDouble());
    case Variant::Type::Date:
      return StoredDate(value.AsDate());
    default:
      return value.AsString();
  }
}

}  // namespace

ColumnKind KindOfDeclaredType(std::string_view declaredType) {
  std::string folded = FoldName(declaredType);
  if (Contains(folded, "date") || Contains(folded, "time")) return ColumnKind::Date;
  if (Contains(folded, "int")) return ColumnKind::Integer;
  if (Contains(folded, "char") || Contains(folded, "clob") || Contains(folded, "text")) {
    return ColumnKind::Text;
  }
  if (folded.find_first_not_of(" \t") == std::string::npos || Contains(folded, "blob")) {
    return ColumnKind::Any;
  }
  return ColumnKind::Number;
}

std::string StoredDate(const CalendarDate& date) {
  // Every staged row's dates come here twice (checked, then written): the
  // usual year, month and day are written digit by digit, without the
  // cost of a format string.
  if (date.year >= 0 && date.year <= 9999 && date.month >= 0 && date.month <= 99 && date.day >= 0 &&
      date.day <= 99) {
    const auto digit = [](int value) { return static_cast<char>('0' + value % 10); };
    return {digit(date.year / 1000),
            digit(date.year / 100),
            digit(date.year / 10),
            digit(date.year),
            '-',
            digit(date.month / 10),
            digit(date.month),
            '-',
            digit(date.day / 10),
            digit(date.day)};
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
  return buffer;
}

BoundValue ValueOfRowValue(const RowValue& value, ColumnKind kind, const std::string& column) {
  using Kind = RowValue::Kind;
  if (value.kind == Kind::Null) return std::monostate{};
  if (value.kind == Kind::Field) return ValueOfVariant(value.field, kind, column);
  if (value.kind == Kind::Date && !IsValidDate(value.date.year, value.date.month, value.date.day)) {
    RaiseDatabaseError(kDbSyntaxError, syntax::kBadDate);
  }
  const bool number = value.kind == Kind::Integer || value.kind == Kind::Number;
  switch (kind) {
    case ColumnKind::Integer:
      if (number) {
        if (std::optional<int64_t> integer = IntegerOfNumber(value)) return *integer;
      }
      break;
    case ColumnKind::Number:
      if (number) return value.number;
      break;
    case ColumnKind::Date:
      if (value.kind == Kind::Date) return StoredDate(value.date);
      break;
    case ColumnKind::Text:
    case ColumnKind::Any:
      if (value.kind == Kind::Text) return value.text;
      if (value.kind == Kind::Date) return StoredDate(value.date);
      // A number in a text column keeps its digits as written.
      return kind == ColumnKind::Text ? BoundValue{value.WrittenNumber()} : AnyNumber(value);
  }
  RaiseDatabaseError(kDbTypeMismatch, column);
}

BoundValue ValueOfVariant(const Variant& value, ColumnKind kind, const std::string& field) {
  if (value.IsEmpty() || value.IsNull()) return std::monostate{};
  switch (kind) {
    case ColumnKind::Integer:
      if (std::optional<double> number = FiniteNumberOfVariant(value)) {
        if (std::optional<int64_t> integer = RoundToInteger(*number)) return *integer;
      }
      break;
    case ColumnKind::Number:
      if (std::optional<double> number = FiniteNumberOfVariant(value)) return *number;
      break;
    case ColumnKind::Date:
      if (value.type() == Variant::Type::Date) {
        CalendarDate date = value.AsDate();
        if (IsValidDate(date.year, date.month, date.day)) return StoredDate(date);
      } else if (value.type() == Variant::Type::String) {
        if (std::optional<CalendarDate> date = DateOfStoredText(value.AsString())) {
          return StoredDate(*date);
        }
      }
      break;
    case ColumnKind::Text:
      return TextOfVariant(value);
    case ColumnKind::Any:
      switch (value.type()) {
        case Variant::Type::Boolean:
          return int64_t{value.AsBoolean() ? -1 : 0};
        case Variant::Type::Integer:
          return int64_t{value.AsInteger()};
        case Variant::Type::Long:
          return int64_t{value.AsLong()};
        case Variant::Type::Double:
          return value.AsDouble();
        default:
          return TextOfVariant(value);
      }
  }
  RaiseDatabaseError(kDbFieldValue, field);
}

}  // namespace viruzedi
