// Any text handed to the statement parser either parses or throws the
// engine's syntax error; it never crashes, and what parses has as many
// values as columns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "component/AutomationError.h"
#include "component/StatementParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    viruzedi::InsertStatement statement = viruzedi::ParseInsert(text);
    if (statement.columns.size() != statement.values.size()) std::abort();
  } catch (const viruzedi::AutomationError&) {
  }
  try {
    viruzedi::ParseSelectAll(text);
  } catch (const viruzedi::AutomationError&) {
  }
  return 0;
}
