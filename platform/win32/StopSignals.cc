// The stop request of a command run on Windows: the console's Ctrl-C
// (SIGINT's number) and Ctrl-Break, close, log-off and shut-down (SIGTERM's)
// turned into a request that the operation sees at its next safe point.
#include "platform/StopSignals.h"

#include <signal.h>

#include <atomic>

#include "platform/win32/Win32Headers.h"

namespace viruzedi {
namespace {

std::atomic<int> received{0};

BOOL WINAPI NoteStop(DWORD event) {
  const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
  int none = 0;
  // A second stop goes on to the system's handling, which ends the process
  // at once: a person who presses Ctrl-C twice means it.
  return received.compare_exchange_strong(none, signal) ? TRUE : FALSE;
}

}  // namespace

void InstallStopSignals() { SetConsoleCtrlHandler(NoteStop, TRUE); }

int StopSignalReceived() { return received.load(); }

// Windows has no file-size signal: a write past a quota fails by itself.
void IgnoreFileSizeSignal() {}

}  // namespace viruzedi
