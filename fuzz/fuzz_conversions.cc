// Field text through every conversion that the imports share. Each either
// gives a value or throws the error its contract names, and the value is
// the right one:
//  - a number is the double that the C library reads from the same digits,
//    and a text the C library finds too large is never taken for a number;
//  - an integer is that number rounded halves to even, or overflow;
//  - a date names a calendar date and is written back as it was read;
//  - the Str form reads back as the same number to fifteen digits, through
//    the conversions and through the statement parser alike;
//  - a quoted text comes out of a statement literal unchanged;
//  - fields joined again give the line; Windows-1252 bytes survive the way
//    to UTF-8 and back.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Errors.h"
#include "base/Conversions.h"
#include "database/StatementParser.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/Windows1252.h"

namespace viruzedi::fuzz {
namespace {

// What the C library reads from a text the conversions took for a number:
// the blanks dropped and the decimal mark made a point.
double LibraryReading(const std::string& text, bool& tooLarge) {
  std::string plain;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    plain += c == ',' ? '.' : c;
  }
  errno = 0;
  double value = std::strtod(plain.c_str(), nullptr);
  tooLarge = errno == ERANGE && std::isinf(value);
  return value;
}

int ErrorOf(void (*call)(const std::string&), const std::string& text) {
  try {
    call(text);
  } catch (const AutomationError& error) {
    return error.number;
  }
  return 0;
}

void CheckNumber(const std::string& text) {
  double value = 0;
  bool parsed = TryParseNumber(text, value);
  int error = ErrorOf([](const std::string& t) { ParseNumber(t); }, text);
  Require(parsed == (error == 0), "TryParseNumber and ParseNumber agree");
  Require(error == 0 || error == kTypeMismatch || error == kOverflow, "number error is 13 or 6");
  Require(ValoreNumerico(Variant(text)) == (parsed ? value : 0.0), "ValoreNumerico");
  if (error == kTypeMismatch) return;

  bool tooLarge = false;
  double reading = LibraryReading(text, tooLarge);
  if (error == kOverflow) {
    Require(tooLarge, "overflow only for a number beyond the double range");
    return;
  }
  Require(!tooLarge, "a number beyond the double range is overflow, never a value");
  Require(value == reading, "the number is the one its digits write");

  // Integers: the number rounded halves to even, or overflow.
  double rounded = std::nearbyint(value);
  int longError = ErrorOf([](const std::string& t) { TextToLong(t); }, text);
  bool fitsLong = rounded >= -2147483648.0 && rounded <= 2147483647.0;
  Require(longError == (fitsLong ? 0 : kOverflow), "TextToLong range");
  if (fitsLong) Require(TextToLong(text) == static_cast<int32_t>(rounded), "TextToLong value");
  int integerError = ErrorOf([](const std::string& t) { TextToInteger(t); }, text);
  bool fitsInteger = rounded >= -32768.0 && rounded <= 32767.0;
  Require(integerError == (fitsInteger ? 0 : kOverflow), "TextToInteger range");
  if (fitsInteger) {
    Require(TextToInteger(text) == static_cast<int16_t>(rounded), "TextToInteger value");
  }
}

// Str of any finite double reads back as the same number, by the
// conversions and by the statement parser; it has the documented shape.
void CheckStr(double value) {
  std::string text = Str(value);
  Require(!text.empty() && (text[0] == ' ' || text[0] == '-'), "Str starts with blank or sign");
  Require(text.find(',') == std::string::npos, "Str never writes a comma");
  Require(text.find("0.") != 1, "Str writes no zero before the point");
  if (!std::isfinite(value) || value == 0) {
    Require(text == " 0", "Str of zero or no number");
    return;
  }
  // Fifteen digits of the largest doubles round past the double range.
  if (std::fabs(value) >= 1.79769313486231e308) return;
  double again = ParseNumber(text);
  Require(SameToFifteenDigits(again, value), "Str reads back");
  InsertStatement statement = ParseInsert("Insert Into t (a) Select" + text);
  Require(statement.values[0].number == again, "Str reads back from a statement");
}

void CheckDate(const std::string& field) {
  CalendarDate date;
  try {
    date = DateFromField(field);
  } catch (const AutomationError& error) {
    Require(error.number == kTypeMismatch, "a bad date field is 13");
    return;
  }
  Require(IsValidDate(date.year, date.month, date.day), "a date field gives a calendar date");
  Require(FileDate(date.year, date.month, date.day) ==
              field.substr(0, 6) + field.substr(field.size() - 2),
          "the date is the one the field writes");
  InsertStatement statement =
      ParseInsert("Insert Into t (a) Select #" + StatementDate(date) + "#");
  Require(statement.values[0].date == date, "a date reads back from a statement");
}

void CheckFields(const std::string& line) {
  std::vector<std::string> fields = SplitFields(line);
  if (line.empty()) {
    Require(fields.empty(), "an empty line has no field");
    return;
  }
  std::string joined;
  for (size_t i = 0; i < fields.size(); ++i) joined += (i ? ";" : "") + fields[i];
  Require(joined == line, "fields joined give the line");
  Require(TrimSpaces(line).size() <= line.size(), "TrimSpaces");
}

void CheckText(const std::string& text) {
  InsertStatement statement = ParseInsert("Insert Into t (a) Select '" + QuoteText(text) + "'");
  Require(statement.values[0].text == text, "a quoted text reads back unchanged");
  std::string utf8 = Windows1252ToUtf8(text);
  Require(Utf8ToWindows1252(utf8) == text, "Windows-1252 bytes survive UTF-8");
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace viruzedi::fuzz;
  std::string text(reinterpret_cast<const char*>(data), size);
  CheckNumber(text);
  CheckDate(text);
  CheckFields(text);
  CheckText(text);
  if (size >= sizeof(double)) {
    double value;
    std::memcpy(&value, data, sizeof value);
    CheckStr(value);
  }
  double number = 0;
  if (viruzedi::TryParseNumber(text, number)) CheckStr(number);
  return 0;
}
