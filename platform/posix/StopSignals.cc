#include "platform/StopSignals.h"

#include <signal.h>

namespace viruzedi {
namespace {

// The only state a signal handler may safely touch.
volatile sig_atomic_t received = 0;

void NoteStop(int signal) {
  if (received == 0) received = signal;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = NoteStop;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking wait returns at once and looks at the request.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int StopSignalReceived() { return received; }

void IgnoreFileSizeSignal() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(SIGXFSZ, &action, nullptr);
}

}  // namespace viruzedi
