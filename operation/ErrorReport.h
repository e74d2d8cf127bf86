// What every failure path shares: the failure being handled as the
// component's own, and where in a file it lies.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "base/Errors.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// The failure being handled, as an automation error. A failure that is not
// one of the component's own (out of memory, a library fault) becomes
// internal error 51 with its text.
AutomationError CurrentFailure();

// The detail of a failure on a line of a file (AutomationError::detail):
// "FILE, riga N: LINE".
std::string LineDetail(const std::string& path, uint64_t number, const std::string& line);

// Whether a failure of this number can lie in what a line holds: a field
// missing or not of its kind, a value its column cannot take. A full disk,
// a lost server, a lock, the user's rights, a stop or want of memory lie
// elsewhere, whatever line was being written when they came.
bool CausedByLine(int32_t number);

// Gives `failure` the detail of the line it was met on (LineDetail) when the
// line can be its cause, so that the person mends a line that is wrong and
// is never sent to one that is fine.
void BlameLine(AutomationError& failure, std::string lineDetail);

// A safe point of an operation: throws AutomationError 18 when the user has
// asked it to stop.
void StopIfRequested(Platform& platform);

}  // namespace viruzedi
