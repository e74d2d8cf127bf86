// Programs of the build run as a user runs them, and the rows they left in a
// database (QueryRows, read back beside the engine).
#pragma once

#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {

struct CommandOutcome {
  int status = -1;
  std::string output;  // standard output and standard error together
};

// Reads the child's output to its end (at most a minute), then its status.
CommandOutcome Finish(ChildProcess& child);

// Runs `viruzedi ARGUMENTS` through the shell (the arguments are shell words,
// quote them as a user would).
CommandOutcome RunViruzedi(const std::string& arguments);

// What `viruzedi in-attesa` lists: each waiting file with the first format
// it names (the one `importa --formato` takes).
struct WaitingFileLine {
  std::string path;
  std::string format;
};
std::vector<WaitingFileLine> ParseWaitingFiles(const std::string& output);

// The text in single quotes for the shell.
std::string ShellQuoted(const std::string& text);

}  // namespace viruzedi::testing
