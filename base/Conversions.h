// The conversions of field text that every import shares. The rules are the
// component's own, independent of the workstation's locale:
//  - numbers: blanks around, optional sign, digits with at most one decimal
//    mark ("." or ","), optional exponent; no digit grouping, so "12.5" is
//    never read as 125. Anything else is type mismatch (13).
//  - integers: the number rounded to nearest, halves to even; overflow (6)
//    outside the type's range.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Calendar.h"
#include "base/Text.h"
#include "viruzedi/Variant.h"

namespace viruzedi {

// Reads a number text. Throws AutomationError 13 when it is not one.
double ParseNumber(std::string_view text);
// True and the value when the text is a number; false otherwise.
bool TryParseNumber(std::string_view text, double& value);

// Rounds to the nearest integer, halves to even, and narrows.
// Throws AutomationError 6 outside the range (NaN included).
int32_t ToLong(double value);
int16_t ToInteger(double value);
uint8_t ToByte(double value);
// Text to integer: ParseNumber, then the rounding above.
int32_t TextToLong(std::string_view text);
int16_t TextToInteger(std::string_view text);
// Text to 64-bit float (ParseNumber).
double TextToDouble(std::string_view text);

// Variant to 64-bit float: 0 for Null, Empty, the empty text or anything that
// does not convert. Never throws.
double ValoreNumerico(const Variant& value);
// Variant to 64-bit float, when it is a number: numbers as they are, True as
// -1, number texts with either decimal mark (ParseNumber). Nothing for Null,
// Empty, dates and other texts.
std::optional<double> NumberOfVariant(const Variant& value);

// The Str form of a number: a leading blank unless negative, "." as decimal
// point, no grouping, up to 15 significant digits, no zero before the point
// (" .5", "-.25"), E notation below 1E-5 and from 1E15 (" 1E+15", " 1E-06").
std::string Str(double value);
// The number Str's text reads back as (0 for what Str writes " 0"), without
// the cost of writing the text: what the imports store for a quantity.
double StrRounded(double value);
// Decimal digits of an integer, "-" in front of a negative one, no blank.
std::string IntegerText(int64_t value);

// A field "yyyymmdd": day from the last two characters, month from
// characters 5-6, year from the first four. Throws AutomationError 13 when
// the field is shorter than eight characters or names no calendar date.
CalendarDate DateFromField(std::string_view field);
// "mm/dd/yyyy", the form of a date inside "#...#" in a statement.
std::string StatementDate(const CalendarDate& date);
// "yyyymmdd" and "hhnnss", the forms used in file names.
std::string FileDate(int year, int month, int day);
std::string FileTime(int hour, int minute, int second);

// A text value for a statement: the single quotes inside are doubled, so the
// value is stored as it was read and can never end the literal.
std::string QuoteText(std::string_view value);

// Splits a line at every ";". An empty line gives no field at all; empty
// fields stay (the line a;;b gives three fields).
std::vector<std::string> SplitFields(std::string_view line);
// SplitFields into `fields`, whose strings a reading of many lines reuses.
void SplitFieldsInto(std::string_view line, std::vector<std::string>& fields);
// Field `index` of a split line; AutomationError 9 past the end.
const std::string& FieldAt(const std::vector<std::string>& fields, size_t index);

}  // namespace viruzedi
