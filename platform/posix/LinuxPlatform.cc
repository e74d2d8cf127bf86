#include "platform/FileSystem.h"
#include "platform/posix/LinuxPlatform.h"

#include <dlfcn.h>
#include <link.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <climits>
#include <cstdlib>
#include <thread>

#include "base/Identity.h"
#include "platform/Environment.h"

namespace viruzedi {

const DefaultSettingsText& SystemDefaultsText() {
  static const DefaultSettingsText text{"$HOME/_Letture", "/dev/ttyS<N-1>",
                                        "libZiRav.so beside libviruzedi.so",
                                        "$XDG_CONFIG_HOME/viruzedi/viruzedi.conf",
                                        "/etc/viruzedi.conf"};
  return text;
}

SettingsFilePlaces SystemSettingsFiles() {
  SettingsFilePlaces places{"", "/etc/viruzedi.conf"};
  // The XDG rule: a relative XDG_CONFIG_HOME is to be ignored.
  std::string config = EnvironmentValue("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') {
    std::string home = EnvironmentValue("HOME");
    if (home.empty()) return places;
    config = home + "/.config";
  }
  places.user = config + "/viruzedi/viruzedi.conf";
  return places;
}

std::string EnvironmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

LinuxPlatform::LinuxPlatform() = default;
LinuxPlatform::~LinuxPlatform() = default;

void LinuxPlatform::MessageBox(const std::string& text, int /*style*/,
                               const std::string& caption) {
  // One line per box, so that scripts and logs can read it.
  std::string line = MessageBoxLine(text, caption) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void LinuxPlatform::Beep() {
  if (isatty(STDERR_FILENO)) {
    std::fputc('\a', stderr);
    std::fflush(stderr);
  }
}

void LinuxPlatform::PumpEvents() {
  // A library on Linux has no message loop of its own: nothing is pending.
}

MonotonicTime LinuxPlatform::Now() { return std::chrono::steady_clock::now(); }

void LinuxPlatform::SleepFor(std::chrono::nanoseconds duration) {
  std::this_thread::sleep_for(duration);
}

LocalDateTime LinuxPlatform::LocalNow() {
  time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string LinuxPlatform::DownloadFolder() {
  std::string folder = EnvironmentValue("VIRUZEDI_LETTURE");
  if (folder.empty()) {
    std::string home = EnvironmentValue("HOME");
    folder = (home.empty() ? std::string(".") : home) + "/_Letture";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string LinuxPlatform::WorkstationName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

std::string LinuxPlatform::SerialDevice(int32_t port) {
  if (port < 1) return "";
  std::string device = EnvironmentValue("VIRUZEDI_COM" + std::to_string(port));
  if (!device.empty()) return device;
  return "/dev/ttyS" + std::to_string(port - 1);
}

std::string LinuxPlatform::TerminalSetting() {
  return EnvironmentValue("VIRUZEDI_TERMINALE");
}

std::string LinuxPlatform::InfraredLibraryPath() {
  std::string path = EnvironmentValue("VIRUZEDI_ZIRAV");
  if (!path.empty()) return path;
  return JoinPath(ComponentFolder(), "libZiRav.so");
}

std::string LinuxPlatform::ComponentFolder() {
  // The folder of the file that holds this very function: the component's
  // library, or the program that carries the component's code inside
  // itself (the command line), whose own name is empty in its link map
  // (dladdr would give argv[0], which need not be a path).
  Dl_info info{};
  link_map* map = nullptr;
  std::string file;
  if (dladdr1(reinterpret_cast<void*>(&EnvironmentValue), &info,
              reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) &&
      map) {
    file = map->l_name[0] != '\0' ? map->l_name : "/proc/self/exe";
  }
  char resolved[PATH_MAX];
  if (!file.empty() && realpath(file.c_str(), resolved)) file = resolved;
  return JoinPath(ParentFolder(file), "");
}

std::unique_ptr<SerialPort> LinuxPlatform::CreateSerialPort() { return SerialPortOver(*this); }

std::unique_ptr<SerialPort> LinuxPlatform::SerialPortOver(Platform& services) {
  return MakeLinuxSerialPort(services);
}

FileSystem& LinuxPlatform::Files() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!files_) files_ = MakeLocalFileSystem();
  return *files_;
}

std::unique_ptr<TerminalLink> LinuxPlatform::CreateTerminalLink() {
  return TerminalLinkOver(*this);
}

std::unique_ptr<TerminalLink> LinuxPlatform::TerminalLinkOver(Platform& services) {
  return MakeTerminalLink(services.TerminalSetting(), services);
}

std::unique_ptr<InfraredLibrary> LinuxPlatform::InfraredLibraryAt(const std::string& path) {
  return MakeDlopenInfraredLibrary(path);
}

InfraredLibrary& LinuxPlatform::Infrared() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string path = InfraredLibraryPath();
  if (!infrared_ || path != infraredPath_) {
    infrared_ = MakeDlopenInfraredLibrary(path);
    infraredPath_ = path;
  }
  return *infrared_;
}

ProcessRunner& LinuxPlatform::Processes() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!processes_) processes_ = MakePosixProcessRunner();
  return *processes_;
}

std::shared_ptr<Platform> DefaultPlatform() {
  static std::shared_ptr<Platform> platform = std::make_shared<LinuxPlatform>();
  return platform;
}

}  // namespace viruzedi
