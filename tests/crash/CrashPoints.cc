#include "tests/crash/CrashPoints.h"

#include <atomic>
#include <sstream>
#include <thread>

#include "base/Errors.h"
#include "platform/ChildProcess.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

const std::vector<std::string> kStateChangingCalls = {
    "write",  "pwrite64", "fsync",     "fdatasync", "ftruncate",          // contents
    "rename", "renameat", "renameat2", "unlink",    "unlinkat", "linkat",  // names
    "openat",                                                              // new files
    "sendto"};  // statements to a database server, the COMMIT among them  // a statement to a server: the COMMIT among them

namespace {

// Longer than any run of the sweep takes, even on a loaded machine; short
// enough that a hung run costs one crash point, not the test's time limit.
constexpr char kRunLimit[] = "45";

std::string Joined(const std::vector<std::string>& words, const std::string& separator) {
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : separator) + word;
  return joined;
}

// `prefix` (strace and its options, or nothing), then the command, with the
// time limit around both and standard error folded into the output.
CommandOutcome Run(const std::vector<std::string>& prefix, const std::vector<std::string>& argv) {
  std::string line = "exec timeout -k 5 " + std::string(kRunLimit);
  for (const std::string& word : prefix) line += " " + ShellQuoted(word);
  line += " " + ShellQuoted(BinFolder() + "viruzedi");
  for (const std::string& word : argv) line += " " + ShellQuoted(word);
  auto child = ChildProcess::Start({"/bin/sh", "-c", line + " 2>&1"}, true);
  return Finish(*child);
}

}  // namespace

bool StraceAvailable() {
  try {
    auto child = ChildProcess::Start({"strace", "-V"}, true);
    return Finish(*child).status == 0;
  } catch (const AutomationError&) {
    return false;
  }
}

std::map<std::string, int> CountStateChangingCalls(const std::vector<std::string>& argv,
                                                   const std::string& traceFile,
                                                   CommandOutcome& outcome) {
  outcome = Run(
      {"strace", "-qq", "-o", traceFile, "-e", "trace=" + Joined(kStateChangingCalls, ",")}, argv);
  std::map<std::string, int> counts;
  for (const std::string& call : kStateChangingCalls) counts[call] = 0;
  std::istringstream trace(ReadFile(traceFile));
  // One line per call entered ("name(arguments) = result"); signals and the
  // exit have lines of their own, which name no call.
  for (std::string line; std::getline(trace, line);) {
    auto call = counts.find(line.substr(0, line.find('(')));
    if (call != counts.end()) ++call->second;
  }
  return counts;
}

std::vector<CrashPoint> CrashPointsOf(const std::map<std::string, int>& counts) {
  std::vector<CrashPoint> points;
  for (const std::string& call : kStateChangingCalls) {
    auto count = counts.find(call);
    for (int n = 1; count != counts.end() && n <= count->second; ++n) points.push_back({call, n});
  }
  return points;
}

CommandOutcome RunKilledAt(const std::vector<std::string>& argv, const CrashPoint& point) {
  // strace stops the process only at the calls it traces: the one injected
  // into must be among them. It counts each call's entries per process.
  return Run({"strace", "-qq", "-o", "/dev/null", "-e", "trace=" + point.call, "-e",
              "inject=" + point.call + ":signal=KILL:when=" + std::to_string(point.number)},
             argv);
}

CommandOutcome RunCommand(const std::vector<std::string>& argv) { return Run({}, argv); }

}  // namespace viruzedi::testing
