// The real Windows platform. Each device service is made by its own unit in
// this folder (file system, terminal links, infrared library, processes);
// the serial-port control and the terminal's serial link are the portable
// ones of platform/, over this folder's serial device.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/InfraredLibrary.h"
#include "viruzedi/Platform.h"
#include "platform/ProcessRunner.h"
#include "platform/SerialPort.h"
#include "platform/TerminalLink.h"

namespace viruzedi {

// Loads `path` with LoadLibraryW at the first call of one of the functions.
std::unique_ptr<InfraredLibrary> MakeWin32InfraredLibrary(std::string path);
std::unique_ptr<ProcessRunner> MakeWin32ProcessRunner();

class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;

  void MessageBox(const std::string& text, int style, const std::string& caption) override;
  void Beep() override;
  void PumpEvents() override;
  MonotonicTime Now() override;
  void SleepFor(std::chrono::nanoseconds duration) override;
  LocalDateTime LocalNow() override;
  bool StopRequested() override { return false; }
  std::string DownloadFolder() override;
  std::string WorkstationName() override;
  std::string SerialDevice(int32_t port) override;
  std::string TerminalSetting() override;
  std::string InfraredLibraryPath() override;
  std::string ComponentFolder() override;
  std::unique_ptr<SerialPort> CreateSerialPort() override;
  FileSystem& Files() override;
  std::unique_ptr<TerminalLink> CreateTerminalLink() override;
  InfraredLibrary& Infrared() override;
  ProcessRunner& Processes() override;
  std::unique_ptr<SerialPort> SerialPortOver(Platform& services) override;
  std::unique_ptr<TerminalLink> TerminalLinkOver(Platform& services) override;
  std::unique_ptr<InfraredLibrary> InfraredLibraryAt(const std::string& path) override;

 private:
  std::mutex mutex_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<InfraredLibrary> infrared_;
  std::string infraredPath_;
  std::unique_ptr<ProcessRunner> processes_;
};

}  // namespace viruzedi
