// One record reply of an infrared reader and the row it becomes.
//
// Grammar (each separator is the first one in the text that remains):
//   code "$" lot ";" quantity ";" date ";" department ";" anything
// The code runs from the first character (its "#" included) to the first
// "$", unchanged, spaces included. The lot and the department are 32-bit
// integers; the quantity a number whose "." is its decimal mark; the date
// "yyyymmdd" (day from the last two characters). The fourth ";" is required;
// whatever follows it (the rest of the 100-character buffer) is ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "component/Variant.h"
#include "platform/Platform.h"

namespace viruzedi {

class Database;

struct InfraredRecord {
  std::string code;
  int32_t lot = 0;
  double quantity = 0;
  CalendarDate date;
  int32_t department = 0;
};

// Reads one record reply. None when it has no "$" (a bad code). Throws
// AutomationError 5 when a ";" is missing after the lot, quantity, date or
// department, 13 when a field does not convert, 6 when an integer is out of
// range. Fields are converted as they are cut, so the first fault in reading
// order is the one reported.
std::optional<InfraredRecord> ReadInfraredRecord(std::string_view reply);

// The statement that inserts the record into table Viruzedi. The code is
// quoted with its single quotes doubled, so it is stored as the reader sent
// it and can never end the literal.
std::string InfraredRecordStatement(const InfraredRecord& record);

// Imports the record replies of one download into the database at `dbPath`.
// The database is opened anew for every reply, before the reply is looked
// at; the last one stays open until this object goes.
class InfraredRecordImport {
 public:
  InfraredRecordImport(Platform& platform, std::string dbPath);
  ~InfraredRecordImport();

  // Inserts the record, or shows the bad-code warning (critical icon, the
  // component's caption) and writes nothing. Throws AutomationError when the
  // database cannot be opened, the reply cannot be read or the statement
  // cannot run; rows of earlier replies stay.
  void Import(const std::string& reply);
  // Makes every row written so far durable. Nothing to do before the first
  // reply.
  void MakeDurable();

 private:
  Platform& platform_;
  std::string dbPath_;
  std::unique_ptr<Database> database_;
};

}  // namespace viruzedi
