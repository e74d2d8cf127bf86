// Programs of the build run as a user runs them, and the rows they left in a
// database file, read back with plain SQLite.
#pragma once

#include <string>
#include <vector>

#include "platform/ChildProcess.h"

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

// The text in single quotes for the shell.
std::string ShellQuoted(const std::string& text);

// The rows of a query on a database file, each row's cells joined by "|",
// NULL for a null. A file that cannot be read fails the test.
std::vector<std::string> QueryRows(const std::string& database, const std::string& query);

}  // namespace viruzedi::testing
