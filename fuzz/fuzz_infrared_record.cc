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

#include "base/Errors.h"
#include "base/Conversions.h"
#include "database/Row.h"
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

void CheckRow(const InfraredRecord& record) {
  Row s = InfraredRecordRow(record);
  using Kind = RowValue::Kind;
  Require(s.table == "Viruzedi" && s.columns.size() == 5, "the record's columns");
  Require(s.columns[0].value.kind == Kind::Text && s.columns[0].value.text == record.code, "Codart");
  Require(s.columns[1].value.kind == Kind::Integer && s.columns[1].value.number == record.lot, "IdLotto");
  Require(s.columns[2].value.kind == Kind::Number &&
              SameToFifteenDigits(s.columns[2].value.number, record.quantity),
          "Quantità");
  Require(s.columns[3].value.kind == Kind::Date && s.columns[3].value.date == record.date, "Data");
  Require(s.columns[4].value.kind == Kind::Integer && s.columns[4].value.number == record.department, "Rep");
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
    CheckRow(*record);
  }

  // The import, as a download makes it: one object for many replies.
  static ScratchDatabase database("infrared.db");
  static DatabaseSettings settings;
  static std::unique_ptr<InfraredRecordImport> import;
  if (database.Due()) import.reset();
  database.Open();
  if (!import) import = std::make_unique<InfraredRecordImport>(
      TheFuzzPlatform(), database.path(), settings, 1);
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
