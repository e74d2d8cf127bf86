// A line of a GS1 reader file (Windows-1252, as the text stream gives it in
// UTF-8): the label read in whatever form it has, decoded, and appended to
// a real database through the append-only record set, as the GS1 label
// import does.
//
// Properties:
//  - reading never throws: a label is read or refused with a reason;
//  - a read label has elements, each of an AI of the table whose value
//    passes its AI's checks, no AI twice;
//  - the bracketed form printed from a read label reads back into the same
//    elements;
//  - a decoded label has a three-digit article code taken from a (02) with
//    a right check digit, and a best-before date of the calendar in
//    2000-2099 from its (15) or (17);
//  - the record set takes every decoded label.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Calendar.h"
#include "database/Database.h"
#include "fuzz/support/FuzzSupport.h"
#include "gs1/ApplicationIdentifiers.h"
#include "gs1/ElementString.h"
#include "gs1/ElementValue.h"
#include "platform/Windows1252.h"
#include "readerprog/Gs1Label.h"

namespace viruzedi::fuzz {
namespace {

void CheckReading(const std::string& text) {
  const Gs1Reading reading = ReadGs1Label(text);
  if (!reading.Read()) {
    Require(reading.elements.empty(), "a refused label has no elements");
    return;
  }
  Require(!reading.elements.empty(), "a read label has elements");
  for (size_t i = 0; i < reading.elements.size(); ++i) {
    const Gs1Element& element = reading.elements[i];
    const Gs1Identifier* identifier = FindGs1Identifier(element.ai);
    Require(identifier != nullptr, "every AI is one of the table");
    Require(Gs1ValueRefusal(element.ai, *identifier, element.value).empty(),
            "every value passes its AI's checks");
    for (size_t j = 0; j < i; ++j) {
      Require(reading.elements[j].ai != element.ai, "no AI twice");
    }
  }
  const Gs1Reading again = ReadGs1Label(BracketedForm(reading.elements));
  Require(again.Read() && again.elements == reading.elements,
          "the bracketed form reads back into the same elements");
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
  const Gs1ReaderLine parts = SplitGs1ReaderLine(line);
  Gs1Label label;
  if (!DecodeGs1Label(parts.label, label).empty()) return;
  Require(label.Codart.size() == 3 &&
              std::all_of(label.Codart.begin(), label.Codart.end(),
                          [](char c) { return c >= '0' && c <= '9'; }),
          "the article code is three digits of (02)");
  const CalendarDate& date = label.Scadenza;
  Require(date.year >= 2000 && date.year <= 2099 && IsValidDate(date.year, date.month, date.day),
          "the best-before date is a day of 2000-2099");
  Store(label, parts.sscc.empty() ? label.SSCC : std::string(parts.sscc));
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text =
      viruzedi::Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  viruzedi::fuzz::CheckReading(text);
  viruzedi::fuzz::CheckLine(text);
  return 0;
}
