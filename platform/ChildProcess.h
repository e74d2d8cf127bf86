// Child processes that run beside the caller (device simulators in the demo
// and the tests), and whole command runs.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/Environment.h"

namespace viruzedi {

class ChildProcess {
 public:
  // Starts argv[0] (searched in PATH when it has no "/") with the others.
  // With captureOutput, the child's standard output is readable through
  // ReadLine. Throws AutomationError 53 when the program cannot be started.
  static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv,
                                             bool captureOutput);
  ~ChildProcess();  // terminates and reaps a child still running

  // The next line of the child's output (without its end), or "" after
  // `timeout` or at the end of its output. Blocks on the pipe; never spins.
  std::string ReadLine(std::chrono::milliseconds timeout);
  // True once the child's output has closed and every line of it was read.
  bool OutputEnded() const { return outputFd_ < 0 && pending_.empty(); }
  // Asks the child to end (SIGTERM) and waits for it.
  void Terminate();
  // Waits for the child to end; its exit status (128 + signal when killed).
  int Wait();
  int pid() const { return pid_; }

 private:
  ChildProcess() = default;
  int pid_ = -1;
  int outputFd_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  std::string pending_;
};

// Runs a program to its end with the caller's standard streams; its exit
// status, or 127 when it cannot be started.
int RunProcess(const std::vector<std::string>& argv);

// Sets an environment variable for this process and the children it starts.
void SetEnvironmentValue(const std::string& name, const std::string& value);

// Path of the running executable's folder, ending in "/".
std::string ExecutableFolder();

// Whether standard error is a terminal (progress display).
bool StandardErrorIsTerminal();
// The width in columns of the terminal that standard error shows on, asked
// anew at each call (a window may be resized while a download runs); 0 when
// it is no terminal or does not say.
size_t StandardErrorColumns();

// A new empty folder under the system's temporary folder.
std::string MakeTemporaryFolder(const std::string& prefix);

}  // namespace viruzedi
