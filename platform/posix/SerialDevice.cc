#include "platform/SerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "base/Errors.h"

namespace viruzedi {

namespace {

speed_t SpeedConstant(int baud) {
  switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return 0;
  }
}

int MillisecondsUntil(SerialDevice::Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - SerialDevice::Clock::now());
  if (left.count() <= 0) return 0;
  // Round up so that a wait never ends just before its deadline.
  return static_cast<int>(left.count()) + 1;
}

}  // namespace

std::string SystemSerialDevice(int port) {
  if (port < 1) return "";
  return "/dev/ttyS" + std::to_string(port - 1);
}

std::unique_ptr<SerialDevice> SerialDevice::Open(const std::string& path) {
  if (path.empty()) RaiseError(kInvalidPortNumber);
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
      case ENXIO:
      case ENODEV:
      case ENOTDIR: RaiseError(kInvalidPortNumber, path);
      case EBUSY: RaiseError(kPortAlreadyOpen, path);
      case EACCES:
      case EPERM: RaiseError(kPermissionDenied, path);
      default: RaiseError(kInvalidPortNumber, path);
    }
  }
  if (!isatty(fd)) {
    close(fd);
    RaiseError(kInvalidPortNumber, path);
  }
  // The lock is what tells another program's hold: root passes TIOCEXCL.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    RaiseError(kPortAlreadyOpen, path);
  }
  ioctl(fd, TIOCEXCL);
  return std::unique_ptr<SerialDevice>(new SerialDevice(fd, path));
}

SerialDevice::~SerialDevice() {
  ioctl(fd_, TIOCNXCL);
  flock(fd_, LOCK_UN);
  close(fd_);
}

void SerialDevice::Configure(const LineSettings& settings) {
  struct termios tio {};
  if (tcgetattr(fd_, &tio) != 0) RaiseError(kSettingsNotApplied, path_);
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSIZE | PARENB | PARODD | CSTOPB);
  switch (settings.dataBits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
  }
  if (settings.parity == 'e') tio.c_cflag |= PARENB;
  if (settings.parity == 'o') tio.c_cflag |= PARENB | PARODD;
  if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  speed_t speed = SpeedConstant(settings.baud);
  if (speed == 0 || cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0 ||
      tcsetattr(fd_, TCSANOW, &tio) != 0) {
    RaiseError(kSettingsNotApplied, path_);
  }
}

void SerialDevice::SetModemLines(bool rts, bool dtr) {
  int lines = 0;
  if (ioctl(fd_, TIOCMGET, &lines) != 0) return;  // no modem lines
  lines = rts ? (lines | TIOCM_RTS) : (lines & ~TIOCM_RTS);
  lines = dtr ? (lines | TIOCM_DTR) : (lines & ~TIOCM_DTR);
  ioctl(fd_, TIOCMSET, &lines);
}

void SerialDevice::Write(std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      struct pollfd pfd {fd_, POLLOUT, 0};
      poll(&pfd, 1, 1000);
      continue;
    }
    if (n < 0 && errno == EIO) hungUp_ = true;
    RaiseError(kDeviceIoError, path_);
  }
}

bool SerialDevice::WaitReadable(Clock::time_point deadline) {
  while (true) {
    struct pollfd pfd {fd_, POLLIN, 0};
    int ready = poll(&pfd, 1, MillisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0 && (pfd.revents & POLLIN)) return true;
    if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR))) {
      // The other end is gone (a pseudo-terminal whose master closed):
      // nothing can arrive, so wait out the deadline without spinning.
      hungUp_ = true;
      int left = MillisecondsUntil(deadline);
      if (left > 0) poll(nullptr, 0, left);
      return false;
    }
    if (Clock::now() >= deadline) return false;
  }
}

std::string SerialDevice::Read(Clock::time_point deadline, size_t limit) {
  std::string data;
  if (!WaitReadable(deadline)) return data;
  data.resize(limit);
  while (true) {
    ssize_t n = ::read(fd_, data.data(), limit);
    if (n < 0 && errno == EINTR) continue;
    // A line that has gone away reads as readable, then fails (EIO) or
    // ends (0 bytes).
    if (n == 0 || (n < 0 && errno == EIO)) hungUp_ = true;
    data.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return data;
  }
}

void SerialDevice::DiscardInput() { tcflush(fd_, TCIFLUSH); }

void SerialDevice::Drain() { tcdrain(fd_); }

}  // namespace viruzedi
