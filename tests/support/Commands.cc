#include "tests/support/Commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

using namespace std::chrono_literals;

CommandOutcome Finish(ChildProcess& child) {
  CommandOutcome outcome;
  auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!child.OutputEnded() && std::chrono::steady_clock::now() < deadline) {
    outcome.output += child.ReadLine(5s) + "\n";
  }
  outcome.status = child.Wait();
  return outcome;
}

CommandOutcome RunViruzedi(const std::string& arguments) {
  auto child = ChildProcess::Start(
      {"/bin/sh", "-c", "exec " + ShellQuoted(BinFolder() + "viruzedi") + " " + arguments + " 2>&1"},
      true);
  return Finish(*child);
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::vector<WaitingFileLine> ParseWaitingFiles(const std::string& output) {
  const std::string formatOption = "\t--formato ";
  std::vector<WaitingFileLine> files;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::string::size_type tab = line.find(formatOption);
    if (tab == std::string::npos) continue;
    std::string formats = line.substr(tab + formatOption.size());
    files.push_back({line.substr(0, tab), formats.substr(0, formats.find_first_of(" \t"))});
  }
  return files;
}

}  // namespace viruzedi::testing
