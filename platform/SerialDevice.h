// A serial device opened in raw mode: the low-level port that the
// serial-port control, the infrared link library, the reader program and the
// terminal's serial link are built on.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace viruzedi {

// "baud,parity,data,stop", as "38400,n,8,1".
struct LineSettings {
  int baud = 9600;
  char parity = 'n';  // n, e, o
  int dataBits = 8;   // 5..8
  int stopBits = 1;   // 1 or 2
};

// Reads "38400,n,8,1" (parity letter in either case). Throws AutomationError
// 8015 when the text is not such a setting or names a speed the system lacks.
LineSettings ParseLineSettings(const std::string& text);

// The system's own device of serial port `port`: /dev/ttyS<port-1> on
// Linux, \\.\COM<port> on Windows (ports 1 to 255); "" for a number
// that names none.
std::string SystemSerialDevice(int port);

class SerialDevice {
 public:
  using Clock = std::chrono::steady_clock;

  // Opens the device for exclusive use (POSIX: TIOCEXCL, then flock(LOCK_EX
  // | LOCK_NB), which is what tells that another program holds it; Windows:
  // a handle that shares nothing). Throws
  // AutomationError 8002 when there is no such device, 8005 when another
  // program holds it (or the system says it is busy), 70 when it may not
  // be opened.
  static std::unique_ptr<SerialDevice> Open(const std::string& path);
  ~SerialDevice();  // closes the device
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  // Raw mode, no flow control, the given speed and framing.
  // Throws AutomationError 8015 when the device refuses them.
  void Configure(const LineSettings& settings);
  // Raises or lowers RTS and DTR; a device without modem lines (a
  // pseudo-terminal) ignores this.
  void SetModemLines(bool rts, bool dtr);

  // Writes every byte, waiting for the device when it is full.
  // Throws AutomationError 57 (device I/O error) when the device fails.
  void Write(std::string_view bytes);
  // Blocks until at least one byte arrives or the deadline passes; returns
  // what is waiting (at most `limit` bytes), "" at the deadline.
  std::string Read(Clock::time_point deadline, size_t limit = 4096);
  // True when input is waiting, after blocking until the deadline at most.
  // A line that has gone away waits out the deadline and sets HungUp().
  bool WaitReadable(Clock::time_point deadline);
  // Whether the line has gone away (the device unplugged, the other end of
  // a pseudo-terminal closed): nothing can arrive on it any more.
  bool HungUp() const { return hungUp_; }
  // Drops input received and not yet read.
  void DiscardInput();
  // Waits until every written byte has left.
  void Drain();

  const std::string& path() const { return path_; }

 private:
  bool hungUp_ = false;
#if defined(_WIN32)
  SerialDevice(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  void* handle_;  // the device's HANDLE, open for overlapped I/O
  // What WaitReadable took off the device to learn that input is there;
  // Read hands it out first.
  std::string ahead_;
#else
  SerialDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
#endif
  std::string path_;
};

}  // namespace viruzedi
