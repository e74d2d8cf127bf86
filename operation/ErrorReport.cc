#include "operation/ErrorReport.h"

#include <new>
#include <string>

#include "database/Database.h"

namespace viruzedi {

AutomationError CurrentFailure() {
  try {
    throw;
  } catch (const AutomationError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return AutomationError(kOutOfMemory, "Memoria esaurita");
  } catch (const std::exception& error) {
    return AutomationError(kInternalError, std::string("Errore interno: ") + error.what());
  } catch (...) {
    return AutomationError(kInternalError, "Errore interno");
  }
}

std::string LineDetail(const std::string& path, uint64_t number, const std::string& line) {
  return path + ", riga " + std::to_string(number) + ": " + line;
}

bool CausedByLine(int32_t number) {
  switch (number) {
    case kInvalidArgument:      // a read without its separators, a label cut short
    case kOverflow:             // a number too large for its field
    case kSubscriptOutOfRange:  // a field missing
    case kTypeMismatch:         // a field that is not a number or a date
    case kOutOfStringSpace:     // a line past the longest one read
    case kDbSyntaxError:
    case kDbTypeMismatch:
    case kDbFieldValue:
    case kDbTextTooLong:
    case kDbNumberOutOfRange:
      return true;
    default:
      return false;
  }
}

void BlameLine(AutomationError& failure, std::string lineDetail) {
  if (CausedByLine(failure.number)) failure.detail = std::move(lineDetail);
}

void StopIfRequested(Platform& platform) {
  if (platform.StopRequested()) RaiseError(kUserInterrupt);
}

}  // namespace viruzedi
