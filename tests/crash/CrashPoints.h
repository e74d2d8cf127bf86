// Crash points of a command: the state-changing system calls its own process
// makes, counted under strace in a clean run, and the same command run again
// with strace's fault injection killing it at the entry of one of them.
//
// Only the process strace starts is traced (no -f): the reader program the
// command starts, and the simulators, are never counted nor killed, and the
// component is single-threaded, so nothing it does escapes the count.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/Commands.h"
#include "tests/support/Concurrently.h"

namespace viruzedi::testing {

// The calls that change what a crash leaves behind: file contents, their
// durability, names, files created (openat may create or truncate), and
// what is sent to a database server.
extern const std::vector<std::string> kStateChangingCalls;

// Invocation `number` (from 1) of `call`: the process dies at its entry, so
// the call itself is never made.
struct CrashPoint {
  std::string call;
  int number = 0;
};

// Whether strace can be run here; the sweep fails without it, never skips.
bool StraceAvailable();

// Runs `argv` (the viruzedi command's arguments) to its end under strace and
// counts, per call of kStateChangingCalls, how many times its process
// entered it. `outcome` receives the run's status and output. The trace is
// written to `traceFile`.
std::map<std::string, int> CountStateChangingCalls(const std::vector<std::string>& argv,
                                                   const std::string& traceFile,
                                                   CommandOutcome& outcome);

// Every crash point of such counts: (call, 1) ... (call, count) per call, in
// the order of kStateChangingCalls.
std::vector<CrashPoint> CrashPointsOf(const std::map<std::string, int>& counts);

// Runs `argv` under strace, SIGKILL injected at `point`. Status 137 when
// the kill landed; the command's own status when it never reached the point.
CommandOutcome RunKilledAt(const std::vector<std::string>& argv, const CrashPoint& point);

// Runs `argv` plainly. Every run here, traced or not, is ended after 45
// seconds (status 124), so that a hung run fails its crash point instead of
// taking the whole test's time.
CommandOutcome RunCommand(const std::vector<std::string>& argv);


}  // namespace viruzedi::testing
