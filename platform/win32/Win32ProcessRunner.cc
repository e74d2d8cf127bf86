// Child processes of the component on Windows: CreateProcessW with the
// command line as it was built (the program splits it itself), and a wait
// on the process handle that processes no window messages, as the reader
// program's wait never did, and still hears a stop request.
#include <chrono>

#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"
#include "platform/win32/Win32Platform.h"

namespace viruzedi {
namespace {

// How long the wait blocks before it looks at the stop request again: short
// enough for Ctrl-C to feel immediate, long enough to cost nothing.
constexpr DWORD kStopLookMilliseconds = 100;
// How long a child told to stop may take to put its files in order before
// it is ended outright.
constexpr DWORD kStopGraceMilliseconds = 5000;

// Tells the child to end the way a console program hears it (Ctrl-Break to
// its own process group), so that it can leave its files whole; ends it
// outright when it cannot be told or does not end in time.
void StopChild(const PROCESS_INFORMATION& child) {
  if (GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, child.dwProcessId) &&
      WaitForSingleObject(child.hProcess, kStopGraceMilliseconds) == WAIT_OBJECT_0) {
    return;
  }
  TerminateProcess(child.hProcess, STATUS_CONTROL_C_EXIT);
  WaitForSingleObject(child.hProcess, INFINITE);
}

class Win32ProcessRunner : public ProcessRunner {
 public:
  ProcessExit Run(const std::string& commandLine,
                  const std::function<bool()>& stopRequested) override {
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty()) return {};
    std::wstring line = WidePath(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    // The child inherits the caller's environment, current folder and
    // inheritable handles. Its own process group lets a stop reach it alone.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                        nullptr, nullptr, &startup, &child)) {
      return {};
    }
    CloseHandle(child.hThread);
    bool stopped = false;
    while (WaitForSingleObject(child.hProcess, kStopLookMilliseconds) != WAIT_OBJECT_0) {
      if (stopRequested && stopRequested()) {
        StopChild(child);
        stopped = true;
        break;
      }
    }
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    ProcessExit exit;
    exit.started = true;
    exit.exitCode = static_cast<int>(code);
    exit.stopped = stopped;
    return exit;
  }
};

}  // namespace

std::unique_ptr<ProcessRunner> MakeWin32ProcessRunner() {
  return std::make_unique<Win32ProcessRunner>();
}

}  // namespace viruzedi
