// Child processes: the stand-in for process creation and waiting.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace viruzedi {

// How a child process ended, as the system told it.
struct ProcessExit {
  // False when the program could not be started at all (missing, not
  // executable): nothing ran, and the other members mean nothing.
  bool started = false;
  // Its exit status when it ended by itself; -1 when a signal ended it.
  int exitCode = -1;
  // The signal that ended it, or 0.
  int signal = 0;
  // The caller's stop request ended the wait: the child was asked to end
  // (SIGTERM) and has ended, however it then ended.
  bool stopped = false;
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts the program of `commandLine` (split by SplitCommandLine; a name
  // without "/" is searched in PATH) and waits for it to end. The wait has
  // no limit of its own; `stopRequested` is asked a few times a second, and
  // once it says yes the child is asked to end and waited for, so it never
  // outlives the call. Never throws; an empty command line starts nothing.
  virtual ProcessExit Run(const std::string& commandLine,
                          const std::function<bool()>& stopRequested) = 0;
};

// Splits a command line into arguments by the rules of the system it was
// written for: blanks (space, tab) separate arguments outside double
// quotes; a double quote opens or closes a quoted stretch and is itself
// dropped, so  "C:\a b\x",1  is the one argument  C:\a b\x,1 ; backslashes
// are plain characters. A quoted empty stretch ("") is an empty argument.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace viruzedi
