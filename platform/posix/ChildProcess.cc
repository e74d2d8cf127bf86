#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/Errors.h"
#include "platform/FileSystem.h"

extern char** environ;

namespace viruzedi {

namespace {

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 1;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  bool captureOutput) {
  if (argv.empty()) RaiseError(kFileNotFound);
  int pipeFds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (captureOutput) {
    if (pipe2(pipeFds, O_CLOEXEC) != 0) RaiseError(kFileNotFound, argv[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  }
  std::vector<char*> pointers = ArgvPointers(argv);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (captureOutput) close(pipeFds[1]);
  if (rc != 0) {
    if (captureOutput) close(pipeFds[0]);
    RaiseError(kFileNotFound, argv[0]);
  }
  std::unique_ptr<ChildProcess> child(new ChildProcess());
  child->pid_ = pid;
  child->outputFd_ = captureOutput ? pipeFds[0] : -1;
  return child;
}

ChildProcess::~ChildProcess() {
  Terminate();
  if (outputFd_ >= 0) close(outputFd_);
}

std::string ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    std::string::size_type end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (outputFd_ < 0) return "";
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return "";
    struct pollfd pfd {outputFd_, POLLIN, 0};
    int ready = poll(&pfd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return "";
    char chunk[512];
    ssize_t n = read(outputFd_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(outputFd_);
      outputFd_ = -1;
      std::string rest;
      rest.swap(pending_);
      return rest;
    }
    pending_.append(chunk, static_cast<size_t>(n));
  }
}

void ChildProcess::Terminate() {
  if (reaped_ || pid_ <= 0) return;
  kill(pid_, SIGTERM);
  Wait();
}

int ChildProcess::Wait() {
  if (reaped_ || pid_ <= 0) return status_;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) {
      status = 0;
      break;
    }
  }
  reaped_ = true;
  status_ = DecodeStatus(status);
  return status_;
}

int RunProcess(const std::vector<std::string>& argv) {
  try {
    return ChildProcess::Start(argv, false)->Wait();
  } catch (const AutomationError&) {
    return 127;
  }
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

std::string ExecutableFolder() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string file(path, static_cast<size_t>(n));
  return JoinPath(ParentFolder(file), "");
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

size_t StandardErrorColumns() {
  struct winsize size {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

std::string MakeTemporaryFolder(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) RaiseError(kPathNotFound, pattern);
  return buffer.data();
}

}  // namespace viruzedi
