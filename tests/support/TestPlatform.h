// A platform for tests: real services underneath, with the message boxes
// recorded instead of printed, the settings under the test's control and,
// on demand, a fake clock that advances only when told (or when waited on).
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "viruzedi/Platform.h"

namespace viruzedi::testing {

struct ShownBox {
  std::string text;
  int style;
  std::string caption;
  friend bool operator==(const ShownBox&, const ShownBox&) = default;
};

class TestPlatform : public ForwardingPlatform {
 public:
  TestPlatform();

  void MessageBox(const std::string& text, int style, const std::string& caption) override;
  void Beep() override { ++beeps; }
  void PumpEvents() override { ++pumps; }

  // With a fake clock, Now() is `fakeNow`; SleepFor advances it instead of
  // sleeping, so waits built on them end at once in real time.
  MonotonicTime Now() override;
  void SleepFor(std::chrono::nanoseconds duration) override;
  LocalDateTime LocalNow() override;
  // A stop request once `stopAfterChecks` earlier looks have been made
  // (never when negative); `stopChecks` counts the looks.
  bool StopRequested() override { return stopAfterChecks >= 0 && stopChecks++ >= stopAfterChecks; }

  std::string DownloadFolder() override { return downloadFolder; }
  std::string SerialDevice(int32_t port) override;
  std::string TerminalSetting() override { return terminalSetting; }
  std::string InfraredLibraryPath() override;
  std::string ComponentFolder() override;

  void UseFakeClock() { fakeClock = true; }
  void Advance(std::chrono::nanoseconds d) { fakeNow += d; }

  int stopAfterChecks = -1;
  int stopChecks = 0;
  std::vector<ShownBox> boxes;
  int beeps = 0;
  int pumps = 0;
  bool fakeClock = false;
  MonotonicTime fakeNow{std::chrono::seconds(1000)};
  // When set, LocalNow() returns these, one per call, the last repeated.
  std::vector<LocalDateTime> localTimes;
  size_t localTimesUsed = 0;

  std::string downloadFolder;
  std::map<int32_t, std::string> serialDevices;
  std::string terminalSetting;
  std::string infraredLibraryPath;  // "" = the built libZiRav.so
  std::string componentFolder;      // "" = the build's bin folder
};

// The folder with everything the build made (libraries, programs,
// simulators), ending in "/".
std::string BinFolder();

// A new empty folder, removed with its contents when the object goes.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  const std::string& path() const { return path_; }
  // Joined with the system's own separator: a Windows program sees its form.
  std::string operator/(const std::string& name) const { return JoinPath(path_, name); }

 private:
  std::string path_;
};

// The names of the entries of a folder, sorted; none when it is missing.
std::vector<std::string> FolderNames(const std::string& folder);

// Puts an executable shell script named DO_Duri.exe in `folder` (made when
// missing, ending in "/"): a reader program whose end the test chooses.
void PutReaderProgram(const std::string& folder, const std::string& script);

// Reads a whole file (bytes as stored); "" when missing.
std::string ReadFile(const std::string& path);
// Writes bytes into a file, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace viruzedi::testing
