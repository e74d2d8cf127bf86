// The serial device on a Windows communications port (\\.\COMn). Every wait
// blocks on the port: a read is overlapped, ends soon after bytes arrive
// (the read time-outs of the port say so) and is waited for on its event
// until the deadline.
#include "platform/SerialDevice.h"

#include <algorithm>
#include <thread>

#include "base/Errors.h"
#include "base/Text.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"

namespace viruzedi {
namespace {

DWORD MillisecondsUntil(SerialDevice::Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - SerialDevice::Clock::now());
  if (left.count() <= 0) return 0;
  // Round up so that a wait never ends just before its deadline.
  return static_cast<DWORD>(left.count()) + 1;
}

// The event of one overlapped call, closed however the call ends.
class IoEvent {
 public:
  IoEvent() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~IoEvent() {
    if (event_) CloseHandle(event_);
  }
  IoEvent(const IoEvent&) = delete;
  IoEvent& operator=(const IoEvent&) = delete;
  HANDLE get() const { return event_; }

 private:
  HANDLE event_;
};

// Whether a read that failed so was only ended by its time-out (or by our
// own cancel at the deadline): a quiet line, not a lost one. Windows reports
// such a read as a success with fewer bytes; Wine fails it with
// ERROR_TIMEOUT; a driver may say ERROR_SEM_TIMEOUT.
bool EndedByItsTimeOut(DWORD error) {
  return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT || error == ERROR_OPERATION_ABORTED;
}

BYTE ParityOf(char parity) {
  switch (parity) {
    case 'e': return EVENPARITY;
    case 'o': return ODDPARITY;
    default: return NOPARITY;
  }
}

}  // namespace

std::string SystemSerialDevice(int port) {
  if (port < 1 || port > 255) return "";
  return "\\\\.\\COM" + std::to_string(port);
}

namespace {

// "COM10" names a port only as "\\.\COM10" (the bare name works up to
// COM9): a setting may give either.
std::string PortPath(const std::string& path) {
  if (path.size() > 3 && StartsWithIgnoreCase(path, "COM") &&
      path.find_first_not_of("0123456789", 3) == std::string::npos) {
    return "\\\\.\\" + path;
  }
  return path;
}

}  // namespace

std::unique_ptr<SerialDevice> SerialDevice::Open(const std::string& given) {
  if (given.empty()) RaiseError(kInvalidPortNumber);
  const std::string path = PortPath(given);
  // Share mode 0: the port is this program's alone, and another program's
  // hold shows as a refusal here.
  HANDLE handle = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    switch (GetLastError()) {
      case ERROR_ACCESS_DENIED:
      case ERROR_SHARING_VIOLATION:
      case ERROR_BUSY: RaiseError(kPortAlreadyOpen, path);
      default: RaiseError(kInvalidPortNumber, path);
    }
  }
  DCB state{};
  state.DCBlength = sizeof state;
  if (!GetCommState(handle, &state)) {  // a file or a pipe, not a port
    CloseHandle(handle);
    RaiseError(kInvalidPortNumber, path);
  }
  return std::unique_ptr<SerialDevice>(new SerialDevice(handle, path));
}

SerialDevice::~SerialDevice() { CloseHandle(handle_); }

void SerialDevice::Configure(const LineSettings& settings) {
  DCB state{};
  state.DCBlength = sizeof state;
  if (!GetCommState(handle_, &state)) RaiseError(kSettingsNotApplied, path_);
  state.BaudRate = static_cast<DWORD>(settings.baud);
  state.ByteSize = static_cast<BYTE>(settings.dataBits);
  state.Parity = ParityOf(settings.parity);
  state.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  state.fBinary = TRUE;
  state.fParity = settings.parity != 'n';
  // Raw bytes, no flow control of any kind.
  state.fOutxCtsFlow = FALSE;
  state.fOutxDsrFlow = FALSE;
  state.fDsrSensitivity = FALSE;
  state.fOutX = FALSE;
  state.fInX = FALSE;
  state.fErrorChar = FALSE;
  state.fNull = FALSE;
  state.fAbortOnError = FALSE;
  if (!SetCommState(handle_, &state)) RaiseError(kSettingsNotApplied, path_);
  // Writes wait for the line as long as it takes; reads are set per call.
  COMMTIMEOUTS timeouts{};
  SetCommTimeouts(handle_, &timeouts);
}

void SerialDevice::SetModemLines(bool rts, bool dtr) {
  // A port without modem lines (Wine's on a pseudo-terminal) refuses these;
  // nothing depends on them.
  EscapeCommFunction(handle_, rts ? SETRTS : CLRRTS);
  EscapeCommFunction(handle_, dtr ? SETDTR : CLRDTR);
}

void SerialDevice::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    IoEvent event;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD written = 0;
    BOOL done = WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          &overlapped);
    if (!done && GetLastError() == ERROR_IO_PENDING) {
      done = GetOverlappedResult(handle_, &overlapped, &written, TRUE);
    }
    if (!done) {
      // A port whose writes fail has gone (unplugged, the other end closed).
      hungUp_ = true;
      RaiseError(kDeviceIoError, path_);
    }
    bytes.remove_prefix(written);
  }
}

bool SerialDevice::WaitReadable(Clock::time_point deadline) {
  if (!ahead_.empty()) return true;
  ahead_ = Read(deadline, 4096);
  return !ahead_.empty();
}

std::string SerialDevice::Read(Clock::time_point deadline, size_t limit) {
  if (!ahead_.empty()) {
    std::string data = ahead_.substr(0, limit);
    ahead_.erase(0, data.size());
    return data;
  }
  const DWORD wait = MillisecondsUntil(deadline);
  // A read ends at the deadline when nothing comes, and as soon as what
  // arrives pauses for a millisecond. (The interval and the multiplier at
  // their maximum would say "as soon as a byte is there" too, but Wine keeps
  // such a read to its constant even when bytes are waiting.)
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 1;
  timeouts.ReadTotalTimeoutConstant = wait;
  if (wait == 0) {
    // Only what is waiting. Wine keeps even a read of the "return at once"
    // time-outs until a byte comes, so one that would find nothing is not
    // made, and one that finds something asks no more than is there.
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(handle_, &errors, &status)) {
      if (status.cbInQue == 0) return "";
      limit = std::min<size_t>(limit, status.cbInQue);
    }
    timeouts.ReadIntervalTimeout = MAXDWORD;
  }
  SetCommTimeouts(handle_, &timeouts);

  std::string data(limit, '\0');
  IoEvent event;
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  DWORD got = 0;
  BOOL done = ReadFile(handle_, data.data(), static_cast<DWORD>(limit), &got, &overlapped);
  if (!done && GetLastError() == ERROR_IO_PENDING) {
    // The port's own time-out ends the read; the event's wait is the bound
    // should a driver not keep it.
    if (WaitForSingleObject(event.get(), wait + 100) != WAIT_OBJECT_0) CancelIo(handle_);
    done = GetOverlappedResult(handle_, &overlapped, &got, TRUE);
  }
  if (!done && EndedByItsTimeOut(GetLastError())) {
    // What came before the time-out is the read's, as Windows counts it.
    got = static_cast<DWORD>(overlapped.InternalHigh);
    done = TRUE;
  }
  if (!done) {
    // The line has gone away: nothing can arrive, so the deadline is waited
    // out without spinning.
    hungUp_ = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(MillisecondsUntil(deadline)));
    got = 0;
  }
  data.resize(got);
  return data;
}

void SerialDevice::DiscardInput() {
  ahead_.clear();
  PurgeComm(handle_, PURGE_RXCLEAR | PURGE_RXABORT);
}

void SerialDevice::Drain() { FlushFileBuffers(handle_); }

}  // namespace viruzedi
