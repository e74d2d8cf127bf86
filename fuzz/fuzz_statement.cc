// Any text handed to the engine: the parser either reads a statement or
// throws the engine's syntax error, and what it reads
//  - has as many values as columns,
//  - reads the same again once written back in canonical form;
// the engine then runs it on a real database or refuses it with one of the
// errors of its contract, never with another failure.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Errors.h"
#include "base/Conversions.h"
#include "database/Database.h"
#include "database/StatementParser.h"
#include "fuzz/support/FuzzSupport.h"

namespace viruzedi::fuzz {
namespace {

bool IsExecuteError(int32_t number) {
  switch (number) {
    case kDbSyntaxError:
    case kDbTableNotFound:
    case kDbUnknownColumn:
    case kDbTypeMismatch: return true;
    default: return false;
  }
}

void CheckInsert(const std::string& text) {
  InsertStatement statement;
  try {
    statement = ParseInsert(text);
  } catch (const AutomationError& error) {
    Require(error.number == kDbSyntaxError, "a statement that does not parse is 3134");
    return;
  }
  Require(statement.columns.size() == statement.values.size(), "one value per column");
  Require(!statement.table.empty(), "a table name");
  for (const StatementLiteral& value : statement.values) {
    if (value.kind == StatementLiteral::Kind::Date) {
      Require(IsValidDate(value.date.year, value.date.month, value.date.day),
              "a date literal is a calendar date");
    }
  }
  const std::string written = WriteStatement(statement);
  Require(SameStatement(ParseInsert(written), statement), "a statement reads back the same");

  static ScratchDatabase database("statement.db");
  try {
    database.Open().Execute(text);
  } catch (const AutomationError& error) {
    Require(IsExecuteError(error.number), "the engine refuses with an error of its contract");
  }
}

void CheckSelectAll(const std::string& text) {
  try {
    std::string table = ParseSelectAll(text);
    Require(!table.empty(), "a record set names its table");
    Require(ParseSelectAll("Select * from [" + table + "]") == table, "a source reads back");
  } catch (const AutomationError& error) {
    Require(error.number == kDbSyntaxError, "a bad record set source is 3134");
  }
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  viruzedi::fuzz::CheckInsert(text);
  viruzedi::fuzz::CheckSelectAll(text);
  return 0;
}
