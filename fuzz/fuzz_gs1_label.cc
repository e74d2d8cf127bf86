// A line of a GS1 reader file (Windows-1252, as the text stream gives it in
// UTF-8), decoded and appended to a real database through the append-only
// record set, as the GS1 label import does; and the input on its own as a
// (15) value.
//
// Properties:
//  - a label without one of the four identifiers is refused, not decoded;
//  - decoding fails only with 5, 6 or 13, and then no row is started;
//  - the values come out of the field: no value but (10) holds a "(", the
//    (10) value ends the field, the article code is at most 3 characters;
//  - a (15) value whose digits write a calendar date YYMMDD gives that date
//    in 2000-2099, any other two-digit numbers still give a calendar date;
//  - the record set takes every decoded label.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/AutomationError.h"
#include "base/Conversions.h"
#include "database/Database.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/Windows1252.h"
#include "readerprog/Gs1Label.h"

namespace viruzedi::fuzz {
namespace {

size_t Characters(const std::string& text) {
  size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void CheckDate(const std::string& value) {
  CalendarDate date;
  try {
    date = Gs1Date(value);
  } catch (const AutomationError& error) {
    Require(error.number == kTypeMismatch, "a (15) value that is no number is 13");
    return;
  }
  Require(IsValidDate(date.year, date.month, date.day), "a (15) value gives a calendar date");
  if (value.size() >= 6 && std::all_of(value.begin(), value.begin() + 6, IsDigit)) {
    int yy = std::stoi(value.substr(0, 2));
    int mm = std::stoi(value.substr(2, 2));
    int dd = std::stoi(value.substr(4, 2));
    if (dd != 0 && IsValidDate(2000 + yy, mm, dd)) {
      Require(date == CalendarDate{2000 + yy, mm, dd}, "YYMMDD is day DD of MM of 20YY");
    }
  }
}

void Store(const Gs1Label& label, const std::string& sscc) {
  static ScratchDatabase database("gs1.db");
  static std::unique_ptr<Recordset> records;
  if (database.Due()) records.reset();
  Database& target = database.Open();
  if (!records) records = target.OpenRecordset("Select * from viruzedi", kDbAppendOnly);
  AppendGs1Row(*records, label, sscc);
}

void CheckLine(const std::string& line) {
  if (TrimSpaces(line).empty()) return;
  const std::vector<std::string> fields = SplitFields(line);
  const std::string& field = FieldAt(fields, 0);
  if (!HasAllGs1Identifiers(field)) return;
  Gs1Label label;
  try {
    label = DecodeGs1Label(field);
  } catch (const AutomationError& error) {
    Require(error.number == kInvalidArgument || error.number == kOverflow ||
                error.number == kTypeMismatch,
            "a label's error is 5, 6 or 13");
    return;
  }
  Require(label.NColli.find('(') == std::string::npos, "(37) ends at the next (");
  Require(field.find(label.NColli) != std::string::npos, "(37) comes from the field");
  Require(field.ends_with(label.LottoCodice), "(10) runs to the end of the field");
  Require(Characters(label.Codart) <= 3 && label.Codart.find('(') == std::string::npos,
          "the article code is three characters of (02) at most");
  Require(IsValidDate(label.Scadenza.year, label.Scadenza.month, label.Scadenza.day),
          "the best-before date is a calendar date");
  if (fields.size() < 2) return;  // the import ends there: no SSCC
  Store(label, fields[1]);
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text =
      viruzedi::Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  viruzedi::fuzz::CheckDate(text);
  viruzedi::fuzz::CheckLine(text);
  return 0;
}
