// A record reply of an infrared reader: "#" and the input, over the
// 100-character buffer of spaces, in Windows-1252 as the link library hands
// it over. Read on its own, then imported into a real database as the
// download imports it.
//
// Properties:
//  - a reply is a bad code exactly when it holds no "$"; a bad code shows
//    the warning and writes nothing;
//  - a reply that cannot be read fails with 5, 6 or 13, and the import
//    fails with the same error;
//  - a record's code is the text before the first "$"; its statement parses
//    and carries the record's values; the import stores it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/AutomationError.h"
#include "base/Conversions.h"
#include "database/StatementParser.h"
#include "fuzz/support/FuzzSupport.h"
#include "infrared/InfraredRecord.h"
#include "platform/Windows1252.h"

namespace viruzedi::fuzz {
namespace {

constexpr size_t kReplyLength = 100;

std::string ReplyOf(const uint8_t* data, size_t size) {
  std::string bytes = "#" + std::string(reinterpret_cast<const char*>(data), size);
  bytes.resize(kReplyLength, ' ');
  return Windows1252ToUtf8(bytes);
}

void CheckStatement(const InfraredRecord& record) {
  InsertStatement s = ParseInsert(InfraredRecordStatement(record));
  using Kind = StatementLiteral::Kind;
  Require(s.table == "Viruzedi" && s.values.size() == 5, "the record's columns");
  Require(s.values[0].kind == Kind::Text && s.values[0].text == record.code, "Codart");
  Require(s.values[1].kind == Kind::Number && s.values[1].number == record.lot, "IdLotto");
  Require(s.values[2].kind == Kind::Number &&
              SameToFifteenDigits(s.values[2].number, record.quantity),
          "Quantità");
  Require(s.values[3].kind == Kind::Date && s.values[3].date == record.date, "Data");
  Require(s.values[4].kind == Kind::Number && s.values[4].number == record.department, "Rep");
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace viruzedi;
  using namespace viruzedi::fuzz;
  const std::string reply = ReplyOf(data, size);

  std::optional<InfraredRecord> record;
  int32_t readError = 0;
  try {
    record = ReadInfraredRecord(reply);
    Require(record.has_value() == (reply.find('$') != std::string::npos),
            "a bad code is a reply without $");
  } catch (const AutomationError& error) {
    readError = error.number;
    Require(readError == kInvalidArgument || readError == kOverflow ||
                readError == kTypeMismatch,
            "a reply's error is 5, 6 or 13");
  }
  // Fifteen digits of the very largest quantities round past the double
  // range; the engine then refuses the number.
  if (record && std::fabs(record->quantity) >= 1.79769313486231e308) return 0;
  if (record) {
    Require(record->code == reply.substr(0, reply.find('$')), "the code is the text before $");
    Require(IsValidDate(record->date.year, record->date.month, record->date.day), "a date");
    CheckStatement(*record);
  }

  // The import, as a download makes it: one object for many replies.
  static ScratchDatabase database("infrared.db");
  static std::unique_ptr<InfraredRecordImport> import;
  if (database.Due()) import.reset();
  database.Open();
  if (!import) import = std::make_unique<InfraredRecordImport>(
      TheFuzzPlatform(), database.path());
  const int boxesBefore = TheFuzzPlatform().boxes;
  try {
    import->Import(reply);
    Require(readError == 0, "the import fails where the reading fails");
  } catch (const AutomationError& error) {
    Require(error.number == readError, "the import fails with the reading's error");
  }
  Require(TheFuzzPlatform().boxes - boxesBefore == (readError == 0 && !record ? 1 : 0),
          "one warning per bad code, none otherwise");
  return 0;
}
