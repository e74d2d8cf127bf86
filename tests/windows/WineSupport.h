// The Windows programs of the two Windows builds run under Wine, in the
// prefix that the run's fixture made (VIRUZEDI_WINEPREFIX), each as a real
// child process; their COM ports are links to the simulators'
// pseudo-terminals.
#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

enum class WindowsTarget { kWin64, kWin32 };

// "win64" or "win32", for test names and messages.
const char* TargetName(WindowsTarget target);
inline std::ostream& operator<<(std::ostream& out, WindowsTarget target) {
  return out << TargetName(target);
}

// The folder of a target's programs (VIRUZEDI_WIN64_BIN, VIRUZEDI_WIN32_BIN,
// else the build-win64/build-win32 folder of the source tree), ending in
// "/". "" after failing the test when viruzedi.exe is not there.
std::string WindowsBinFolder(WindowsTarget target);

// The prefix of the run; "" after failing the test when there is none.
std::string WinePrefix();

// The name that a Windows program gives a Linux file: Z:\tmp\x for /tmp/x.
std::string WindowsPath(const std::string& linuxPath);

// The reader file at `path` as its import archived it
// (`<path>.importato-<stamp>`, the newest); "" when there is none.
std::string ImportedReaderFile(const std::string& path);

// A program of Wine's own for the target, as a Windows path:
// C:\windows\system32\NAME for win64, C:\windows\syswow64\NAME for win32.
// WindowsProgram runs the first through the 64-bit loader: Debian's `wine`
// is the 32-bit loader when wine32 is installed, and a program of Wine's
// own that it starts is the 32-bit one.
std::string WineSystemProgram(WindowsTarget target, const std::string& name);

// The ODBC connection string of an SQLite file, as the Windows programs
// reach a database under Wine (the host's driver; the file is never made).
std::string SqliteConnection(const std::string& linuxPath);

struct WindowsOutcome {
  int status = -1;     // 124 when the program outlived its allowance
  std::string output;  // standard output, CR LF made LF
  std::string errors;  // standard error, CR LF made LF
};
std::ostream& operator<<(std::ostream& out, const WindowsOutcome& outcome);

using Variables = std::map<std::string, std::string>;

// A Windows program of a target running under Wine. Its streams go to files,
// read once it has ended, rather than to pipes: nothing that Wine starts on
// the side can then hold the test's reading end open.
class WindowsProgram {
 public:
  // Starts `program` (a file of the target's folder, a Linux path, or a
  // WineSystemProgram) with `arguments` and,
  // besides this process's environment and Wine's settings, `variables`.
  // The program is stopped after `allowance` seconds.
  WindowsProgram(WindowsTarget target, const std::string& program,
                 const std::vector<std::string>& arguments, const Variables& variables = {},
                 int allowance = 120);
  // The same in the Wine prefix at `prefix`, for a program of Wine's own or
  // a Linux path: no build's folder is needed.
  WindowsProgram(const std::string& prefix, WindowsTarget target, const std::string& program,
                 const std::vector<std::string>& arguments, const Variables& variables = {},
                 int allowance = 120);
  // Waits for the program's end.
  WindowsOutcome Finish();
  // Whether the program has written `text` to its standard output within
  // `wait` (looked for every 50 ms).
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds wait);
  // Ends the program (SIGTERM, which Wine turns into the process's end).
  void Stop();
  // Whether it was started at all (a failure was reported when not).
  bool started() const { return child_ != nullptr; }

 private:
  void Start(const std::string& prefix, WindowsTarget target, const std::string& path,
             bool system, const std::vector<std::string>& arguments, const Variables& variables,
             int allowance);

  TemporaryFolder streams_;
  std::unique_ptr<ChildProcess> child_;
};

// Runs a program of the target to its end.
WindowsOutcome RunWindows(WindowsTarget target, const std::string& program,
                          const std::vector<std::string>& arguments,
                          const Variables& variables = {});

// COM port N of the prefix, a link to a device for as long as the object
// lives. Numbers start at 10, clear of the ports that Wine itself assigns
// to the machine's serial devices; tests running at once each get their
// own, taken by making the link (which fails when another test has it).
class WinePort {
 public:
  explicit WinePort(const std::string& device);
  ~WinePort();
  WinePort(const WinePort&) = delete;
  WinePort& operator=(const WinePort&) = delete;

  int number() const { return number_; }
  std::string name() const { return "COM" + std::to_string(number_); }

 private:
  int number_ = 0;
  std::string link_;
};

// A device simulator of the Linux build on its pseudo-terminal, ended with
// the object (after the programs that used it, which the tests wait for).
class Simulator {
 public:
  // Starts bin/<program> with `arguments`; the first line of its output is
  // the device. A simulator that does not start fails the test.
  Simulator(const std::string& program, const std::vector<std::string>& arguments);
  ~Simulator();
  const std::string& device() const { return device_; }
  // The next line the simulator printed after the device ("" after `wait`).
  std::string NextLine(std::chrono::milliseconds wait);

 private:
  std::unique_ptr<ChildProcess> process_;
  std::string device_;
};

}  // namespace viruzedi::testing
