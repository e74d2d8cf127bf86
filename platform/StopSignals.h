// The stop request of a command run: SIGINT and SIGTERM turned into a request
// that the operation sees through Platform::StopRequested at its next safe
// point, instead of ending the process between a read and its row.
#pragma once

namespace viruzedi {

// Installs the handlers (once per process; only a program's main does, never
// the component). A second signal of the same kind ends the process at once,
// as if no handler were there: a person who presses Ctrl-C twice means it.
void InstallStopSignals();

// The first stop signal received (SIGINT or SIGTERM), 0 while none came.
int StopSignalReceived();

}  // namespace viruzedi
