// Child processes of the component: the stand-in for process creation and
// an unlimited wait on the process.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/LinuxPlatform.h"

extern char** environ;

namespace viruzedi {
namespace {

class PosixProcessRunner : public ProcessRunner {
 public:
  bool RunAndWait(const std::vector<std::string>& arguments) override {
    if (arguments.empty() || arguments.front().empty()) return false;
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    // The child inherits the caller's environment, current folder and open
    // descriptors (those not marked close-on-exec), as a process created
    // with inheritance on does. A name without "/" is searched in PATH.
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      return false;
    }
    // No limit: the program is trusted to end by itself (its own time-out).
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
      if (errno != EINTR) break;  // reaped elsewhere: it has ended all the same
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<ProcessRunner> MakePosixProcessRunner() {
  return std::make_unique<PosixProcessRunner>();
}

}  // namespace viruzedi
