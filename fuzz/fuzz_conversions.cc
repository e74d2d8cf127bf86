// Field text through every conversion: each either gives a value or throws
// an AutomationError, and a number read back from its Str form is the same
// number to fifteen significant digits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "component/AutomationError.h"
#include "component/Conversions.h"
#include "component/LineReceiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  using namespace viruzedi;
  double value = 0;
  if (TryParseNumber(text, value)) {
    double again = ParseNumber(Str(value));
    if (value != 0 && std::fabs(again - value) > std::fabs(value) * 1e-14) std::abort();
  }
  try { TextToLong(text); } catch (const AutomationError&) {}
  try { TextToInteger(text); } catch (const AutomationError&) {}
  try { DateFromField(text); } catch (const AutomationError&) {}
  std::vector<std::string> fields = SplitFields(text);
  if (!text.empty() && fields.empty()) std::abort();
  ValoreNumerico(Variant(text));
  QuoteText(text);

  std::string buffer, line;
  bool ready = false;
  AppendReceived(buffer, line, ready, text);
  return 0;
}
