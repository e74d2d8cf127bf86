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

// Makes a write past the process's file-size limit (ulimit -f, an fsize
// line of limits.conf) fail with its error, as a full disk does, instead of
// ending the process by SIGXFSZ between a read and its row: the operation's
// own failure path then keeps what could not be written (the file waits,
// the pen's read goes to its recovery file). The programs it starts (the
// reader program) inherit the setting. A program's main does this, never
// the component: a signal's disposition belongs to the whole process, so
// a host of the library decides it for itself (the README says how).
// Nothing on a system without the signal.
void IgnoreFileSizeSignal();

}  // namespace viruzedi
