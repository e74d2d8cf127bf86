// How an operation of Viruzedi ended, for a caller that must tell success
// from failure without reading its message boxes (the command line, a host
// program that logs).
#pragma once

#include <cstdint>
#include <string>

#include "viruzedi/AutomationError.h"
#include "viruzedi/Export.h"

namespace viruzedi {

// Owned by the object and replaced by each operation.
struct VIRUZEDI_API OperationOutcome {
  // It ended through a failure: an error box, a time-out, an open failure,
  // an automation error, a terminal transfer that no configured link could
  // make (its notice shown, the call returning normally as ever). Warnings
  // and "no data received" are none.
  bool failed = false;
  // The failure's number when it had one (18: a stop request ended it).
  int32_t errorNumber = 0;
  // Where in a file the failure lies (AutomationError::detail), or "".
  std::string detail;
  // Rows that a constraint of the user's table refused (dropped silently).
  uint64_t rowsRefused = 0;
  // The database has no import ledger and the user's rights did not let
  // the operation make one: it stored its rows without an entry, so a
  // crash right after its commit could have them stored twice.
  bool ledgerMissing = false;
  // Labels that a check refused: not stored, kept in `setAsideFile`.
  uint64_t labelsSetAside = 0;
  std::string setAsideFile;

  bool Interrupted() const { return errorNumber == kUserInterrupt; }
};

}  // namespace viruzedi
