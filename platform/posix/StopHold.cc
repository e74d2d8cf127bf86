#include "platform/StopHold.h"

#include <signal.h>

#include <initializer_list>

namespace viruzedi {
namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, signal);
  return signals;
}

}  // namespace

StopHold::StopHold() {
  sigset_t signals = StopSignals();
  sigprocmask(SIG_BLOCK, &signals, nullptr);
}

// A stop that arrived meanwhile is delivered here.
StopHold::~StopHold() {
  sigset_t signals = StopSignals();
  sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

bool StopHold::StopArrived() const {
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    if (sigismember(&pending, signal)) return true;
  }
  return false;
}

}  // namespace viruzedi
