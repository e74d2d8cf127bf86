// The values of a GS1 logistics label for its row of table viruzedi: the
// label read as GS1 writes it (gs1/ElementString.h: bracketed, as a
// scanner sends it, or a Digital Link address), then the AIs the row needs
// taken from its elements.
#pragma once

#include <string>
#include <string_view>

#include "base/Calendar.h"

namespace viruzedi {

class Recordset;

struct Gs1Label {
  std::string Codart;       // the three digits of (02) before its check digit
  std::string NColli;       // (37)
  std::string LottoCodice;  // (10)
  CalendarDate Scadenza;    // (15), else (17)
  std::string SSCC;         // (00), "" when the label has none
};

// A line of a GS1 reader file: the label and the SSCC field that follows
// its last ";" (a value of the label may hold ";"); a line without ";" is
// a label alone, with an empty field.
struct Gs1ReaderLine {
  std::string_view label;
  std::string_view sscc;
};
Gs1ReaderLine SplitGs1ReaderLine(std::string_view line);

// Fills `label` from the label `text` (spaces around it are no part of
// it) and returns ""; or returns why its row cannot be stored: the label
// is refused (gs1/Gs1Texts.h), or it lacks (02), (37), (10), or both (15)
// and (17).
std::string DecodeGs1Label(std::string_view text, Gs1Label& label);

// The date of a valid (15) or (17) value YYMMDD: day DD of month MM of
// year 20YY, day 00 being the month's last day.
CalendarDate Gs1Date(std::string_view value);

// Adds the row of one label to an append-only record set of table viruzedi:
// the label's fields, and `sscc`. Errors of the record set pass.
void AppendGs1Row(Recordset& records, const Gs1Label& label, const std::string& sscc);

}  // namespace viruzedi
