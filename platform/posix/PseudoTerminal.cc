#include "platform/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "base/Errors.h"

namespace viruzedi {

namespace {
int MillisecondsUntil(PseudoTerminal::Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - PseudoTerminal::Clock::now());
  return left.count() <= 0 ? 0 : static_cast<int>(left.count()) + 1;
}
}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open() {
  std::unique_ptr<PseudoTerminal> pty(new PseudoTerminal());
  pty->master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty->master_ < 0 || grantpt(pty->master_) != 0 || unlockpt(pty->master_) != 0) {
    RaiseError(kDeviceIoError, "pseudo-terminal");
  }
  char name[128];
  if (ptsname_r(pty->master_, name, sizeof name) != 0) RaiseError(kDeviceIoError, "ptsname");
  pty->slavePath_ = name;
  pty->slaveKeeper_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty->slaveKeeper_ < 0) RaiseError(kDeviceIoError, name);
  // Raw from the start: no echo of the component's requests back to it,
  // no line editing of the device's answers.
  struct termios tio {};
  tcgetattr(pty->slaveKeeper_, &tio);
  cfmakeraw(&tio);
  tcsetattr(pty->slaveKeeper_, TCSANOW, &tio);
  int flags = fcntl(pty->master_, F_GETFL);
  fcntl(pty->master_, F_SETFL, flags | O_NONBLOCK);
  return pty;
}

PseudoTerminal::~PseudoTerminal() {
  if (slaveKeeper_ >= 0) close(slaveKeeper_);
  if (master_ >= 0) close(master_);
}

void PseudoTerminal::Write(std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(master_, bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      struct pollfd pfd {master_, POLLOUT, 0};
      poll(&pfd, 1, 1000);
    } else {
      RaiseError(kDeviceIoError, slavePath_);
    }
  }
}

bool PseudoTerminal::WaitReadable(Clock::time_point deadline) {
  while (true) {
    struct pollfd pfd {master_, POLLIN, 0};
    int ready = poll(&pfd, 1, MillisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0 && (pfd.revents & POLLIN)) return true;
    if (ready == 0 || Clock::now() >= deadline) return false;
    // POLLHUP without data cannot happen while the keeper is open; guard
    // against a busy loop all the same.
    int left = MillisecondsUntil(deadline);
    if (left > 0) poll(nullptr, 0, left < 10 ? left : 10);
  }
}

std::string PseudoTerminal::Read(Clock::time_point deadline, size_t limit) {
  std::string data;
  if (!WaitReadable(deadline)) return data;
  data.resize(limit);
  while (true) {
    ssize_t n = ::read(master_, data.data(), limit);
    if (n < 0 && errno == EINTR) continue;
    data.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return data;
  }
}

void PseudoTerminal::SetColumns(unsigned short columns) {
  struct winsize size {};
  size.ws_row = 24;
  size.ws_col = columns;
  if (ioctl(master_, TIOCSWINSZ, &size) != 0) RaiseError(kDeviceIoError, slavePath_);
}

}  // namespace viruzedi
