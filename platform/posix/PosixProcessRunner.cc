// Child processes of the component: process creation, and a wait that
// blocks on the child's descriptor and still hears a stop request.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/posix/LinuxPlatform.h"

extern char** environ;

namespace viruzedi {
namespace {

// How long the wait blocks before it looks at the stop request again: short
// enough for Ctrl-C to feel immediate, long enough to cost nothing.
constexpr int kStopLookMilliseconds = 100;

ProcessExit ExitOf(int status) {
  ProcessExit exit;
  exit.started = true;
  if (WIFEXITED(status)) exit.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) exit.signal = WTERMSIG(status);
  return exit;
}

// Reaps the child if it has ended; never blocks.
bool Reaped(pid_t pid, int& status) {
  while (true) {
    pid_t got = waitpid(pid, &status, WNOHANG);
    if (got == pid) return true;
    if (got == 0) return false;
    if (errno == EINTR) continue;
    // Reaped elsewhere: it has ended all the same, its status unknown.
    status = 0;
    return true;
  }
}

// Blocks until the child may have ended or a slice has passed: on its
// descriptor when the system gives one, otherwise by sleeping the slice.
void WaitSlice(int pidfd) {
  if (pidfd >= 0) {
    struct pollfd pfd {pidfd, POLLIN, 0};
    poll(&pfd, 1, kStopLookMilliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(kStopLookMilliseconds));
  }
}

int BlockingWait(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return 0;
  }
  return status;
}

class PosixProcessRunner : public ProcessRunner {
 public:
  ProcessExit Run(const std::string& commandLine,
                  const std::function<bool()>& stopRequested) override {
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty()) return {};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    // The child inherits the caller's environment, current folder and open
    // descriptors (those not marked close-on-exec), as a process created
    // with inheritance on does.
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return {};

    // Through the system call itself: the C library's wrapper is newer
    // than some systems this runs on. -1 (no such call) means sleeping.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    int status = 0;
    bool stopped = false;
    while (!Reaped(pid, status)) {
      if (stopRequested && stopRequested()) {
        // The child may hold the port or be about to write its file: it is
        // told to end and waited for, so nothing of it outlives the call.
        kill(pid, SIGTERM);
        status = BlockingWait(pid);
        stopped = true;
        break;
      }
      WaitSlice(pidfd);
    }
    if (pidfd >= 0) close(pidfd);
    ProcessExit exit = ExitOf(status);
    exit.stopped = stopped;
    return exit;
  }
};

}  // namespace

std::unique_ptr<ProcessRunner> MakePosixProcessRunner() {
  return std::make_unique<PosixProcessRunner>();
}

}  // namespace viruzedi
