// The values of a GS1 logistics label taken out of its element string in
// bracketed form, as (02)08012345678907(37)12(15)250315(10)LOT42.
//
// Each identifier is searched in the whole string (so their order does not
// matter); the value of (02), (37) and (15) runs up to the next "(", the
// value of (10) to the end of the string. Positions are counted in
// characters and held in 8 bits: an identifier or "(" beyond character
// 255 is overflow (6).
#pragma once

#include <string>
#include <string_view>

#include "base/Variant.h"

namespace viruzedi {

class Recordset;

struct Gs1Label {
  std::string Codart;       // characters 11 to 13 of the (02) value
  std::string NColli;       // the (37) value
  std::string LottoCodice;  // the (10) value, with whatever follows it
  CalendarDate Scadenza;    // decoded from the (15) value
};

// True when the element string holds each of (02), (37), (10) and (15).
// A string that lacks one cannot be decoded into the label's values.
bool HasAllGs1Identifiers(std::string_view elementString);

// Decodes a string that holds the four identifiers. Throws AutomationError
// 5 when (02), (37) or (15) is not followed by another "(", 6 for a
// position beyond 255, 13 when the (15) value does not give three numbers.
Gs1Label DecodeGs1Label(std::string_view elementString);

// The date of a (15) value YYMMDD: day DD of month MM of year 2000 + YY,
// reached by calendar arithmetic from 31 December 1999 (YY years, MM - 1
// months, DD days), so values out of range run on (month 13 is January of
// the next year). Day 00 is the last day of month MM, as GS1 defines it.
// Throws AutomationError 13 when a two-character piece is empty or not a
// number.
CalendarDate Gs1Date(std::string_view value);

// Adds the row of one label to an append-only record set of table viruzedi:
// the label's fields, and the SSCC as read. Errors of the record set pass.
void AppendGs1Row(Recordset& records, const Gs1Label& label, const std::string& sscc);

}  // namespace viruzedi
