// The general error path: one critical message box whose text is the
// failure's description and whose caption is its number in decimal.
#pragma once

#include <exception>

#include "component/AutomationError.h"
#include "platform/Platform.h"

namespace viruzedi {

// The failure being handled, as an automation error. A failure that is not
// one of the component's own (out of memory, a library fault) becomes
// internal error 51 with its text.
AutomationError CurrentFailure();

// Shows the general error box for the failure being handled (call from a
// catch block).
void ShowGeneralError(Platform& platform);
void ShowGeneralError(Platform& platform, const AutomationError& error);

// A safe point of an operation: throws AutomationError 18 when the user has
// asked it to stop.
void StopIfRequested(Platform& platform);

}  // namespace viruzedi
