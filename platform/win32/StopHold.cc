// Stops held on Windows: a console control handler that, while a hold
// lives, notes the event and keeps the process running; the hold's end then
// ends the process as the event would have. Without a hold the system's own
// handling ends it at once.
#include "platform/StopHold.h"

#include <atomic>

#include "platform/win32/Win32Headers.h"

namespace viruzedi {
namespace {

std::atomic<int> holds{0};
std::atomic<bool> arrived{false};

BOOL WINAPI HoldStop(DWORD) {
  if (holds.load() == 0) return FALSE;  // the next handler: the process ends
  arrived = true;
  return TRUE;
}

}  // namespace

StopHold::StopHold() {
  if (holds++ == 0) SetConsoleCtrlHandler(HoldStop, TRUE);
}

StopHold::~StopHold() {
  if (--holds == 0) {
    SetConsoleCtrlHandler(HoldStop, FALSE);
    if (arrived) ExitProcess(STATUS_CONTROL_C_EXIT);
  }
}

bool StopHold::StopArrived() const { return arrived; }

}  // namespace viruzedi
