// The one door of the component to the operating system.
//
// Every service that an object of Viruzedi uses — message boxes, the event
// pump, the clocks, the workstation settings, serial ports, the file system,
// the terminal link, the infrared link library, child processes — is reached
// through a Platform. DefaultPlatform() is the real Linux one; tests derive
// from ForwardingPlatform and replace only the service they must control.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "viruzedi/Calendar.h"
#include "viruzedi/Export.h"

namespace viruzedi {

class SerialPort;
class FileSystem;
class TerminalLink;
class InfraredLibrary;
class ProcessRunner;

// Message-box styles used by the component (the platform's numeric values).
enum MessageBoxStyle : int {
  kOkOnly = 0,
  kCritical = 16,
};

using MonotonicTime = std::chrono::steady_clock::time_point;

class VIRUZEDI_API Platform {
 public:
  virtual ~Platform() = default;

  // --- User interface -----------------------------------------------------
  // Shows a modal message box and returns when the user has closed it.
  // `caption` empty means the component's default caption ("Viruzedi11600").
  virtual void MessageBox(const std::string& text, int style,
                          const std::string& caption) = 0;
  virtual void Beep() = 0;
  // Lets pending events of the host run (the message loop of a yield).
  // Never blocks for long; callers that wait sleep or poll between calls.
  virtual void PumpEvents() = 0;

  // --- Clocks ---------------------------------------------------------------
  // Monotonic time for every wait and deadline: it never jumps at midnight
  // or when the wall clock is set.
  virtual MonotonicTime Now() = 0;
  // Blocks the thread for `duration` (a short sleep between polls).
  virtual void SleepFor(std::chrono::nanoseconds duration) = 0;
  // The local wall clock, for dates written into rows and file names.
  virtual LocalDateTime LocalNow() = 0;

  // --- Stop request -----------------------------------------------------------
  // True once the user asked the running operation to stop (Ctrl-C,
  // SIGTERM). Operations look at it at their safe points only, so a stop
  // never falls between taking a read and storing it. The real platform
  // never asks; a host that wants stops (the command line) overrides it.
  virtual bool StopRequested() = 0;

  // --- Workstation settings -------------------------------------------------
  // The download folder (the Linux place of "C:\_Letture"), without a
  // trailing separator.
  virtual std::string DownloadFolder() = 0;
  // Device path of serial port n, or "" when the number has no device.
  virtual std::string SerialDevice(int32_t port) = 0;
  // The terminal link setting ("dir:FOLDER", "serial:DEV[,BAUD]") or "".
  virtual std::string TerminalSetting() = 0;
  // Path of the infrared link library.
  virtual std::string InfraredLibraryPath() = 0;
  // Folder of the component's own library file, ending in "/".
  virtual std::string ComponentFolder() = 0;
  // The workstation's own name (its host name), which the import ledger
  // writes beside a folder so that workstations sharing one database keep
  // their entries apart. "" when the system gives none.
  virtual std::string WorkstationName() = 0;

  // --- Devices and system services -----------------------------------------
  // A new serial-port control, closed, with the default configuration.
  virtual std::unique_ptr<SerialPort> CreateSerialPort() = 0;
  // The file system (the scripting file-system object's stand-in).
  virtual FileSystem& Files() = 0;
  // The terminal-transfer control of the configured link. Created anew for
  // every form load; never null (with no link configured, its
  // FlagAlternativo is true).
  virtual std::unique_ptr<TerminalLink> CreateTerminalLink() = 0;
  // The infrared link library. Loading happens at the first call of one of
  // its functions, not here.
  virtual InfraredLibrary& Infrared() = 0;
  // Starts child processes and waits for them.
  virtual ProcessRunner& Processes() = 0;

  // --- This system's devices, built over other services ---------------------
  // What CreateSerialPort, CreateTerminalLink and Infrared make, with
  // `services` as the platform the device uses (its settings, clock, boxes
  // and stop request). A platform that forwards to this one hands itself in.
  virtual std::unique_ptr<SerialPort> SerialPortOver(Platform& services) = 0;
  virtual std::unique_ptr<TerminalLink> TerminalLinkOver(Platform& services) = 0;
  // The infrared library at `path`, loaded at the first call of a function.
  virtual std::unique_ptr<InfraredLibrary> InfraredLibraryAt(const std::string& path) = 0;
};

// A message box as one line of text, "[CAPTION] TEXT" (the default caption
// when `caption` is empty), without its line end: how the command line and
// the logs of boxes show them.
VIRUZEDI_API std::string MessageBoxLine(const std::string& text, const std::string& caption);

// The real platform of the system the component was built for, shared by
// every object that is created without a platform of its own. Settings come
// from the environment (VIRUZEDI_*).
VIRUZEDI_API std::shared_ptr<Platform> DefaultPlatform();

// Passes every call on to another platform; tests and the command line
// derive from it and override just the services they replace. The devices
// it makes are the target's, built over this platform, so that they see its
// settings, clock, message boxes and stop request.
class VIRUZEDI_API ForwardingPlatform : public Platform {
 public:
  explicit ForwardingPlatform(std::shared_ptr<Platform> target);
  ~ForwardingPlatform() override;

  void MessageBox(const std::string& text, int style,
                  const std::string& caption) override {
    target_->MessageBox(text, style, caption);
  }
  void Beep() override { target_->Beep(); }
  void PumpEvents() override { target_->PumpEvents(); }
  MonotonicTime Now() override { return target_->Now(); }
  void SleepFor(std::chrono::nanoseconds d) override { target_->SleepFor(d); }
  LocalDateTime LocalNow() override { return target_->LocalNow(); }
  bool StopRequested() override { return target_->StopRequested(); }
  std::string DownloadFolder() override { return target_->DownloadFolder(); }
  std::string SerialDevice(int32_t port) override {
    return target_->SerialDevice(port);
  }
  std::string TerminalSetting() override { return target_->TerminalSetting(); }
  std::string InfraredLibraryPath() override {
    return target_->InfraredLibraryPath();
  }
  std::string ComponentFolder() override { return target_->ComponentFolder(); }
  std::string WorkstationName() override { return target_->WorkstationName(); }
  std::unique_ptr<SerialPort> CreateSerialPort() override;
  FileSystem& Files() override { return target_->Files(); }
  std::unique_ptr<TerminalLink> CreateTerminalLink() override;
  // Loaded anew when the path changes (a test may point it elsewhere).
  InfraredLibrary& Infrared() override;
  ProcessRunner& Processes() override { return target_->Processes(); }
  std::unique_ptr<SerialPort> SerialPortOver(Platform& services) override;
  std::unique_ptr<TerminalLink> TerminalLinkOver(Platform& services) override;
  std::unique_ptr<InfraredLibrary> InfraredLibraryAt(const std::string& path) override;

 protected:
  Platform& target() { return *target_; }

 private:
  std::shared_ptr<Platform> target_;
  std::unique_ptr<InfraredLibrary> infrared_;
  std::string infraredLoadedFrom_;
};

}  // namespace viruzedi
