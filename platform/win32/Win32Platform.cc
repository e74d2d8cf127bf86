#include "platform/win32/Win32Platform.h"

#include <cstdio>
#include <thread>

#include "base/Identity.h"
#include "platform/Environment.h"
#include "platform/SerialDevice.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"

namespace viruzedi {

const DefaultSettingsText& SystemDefaultsText() {
  static const DefaultSettingsText text{
      "C:\\_Letture", "\\\\.\\COM<N>",
      "ZiRav.dll beside the component, else on the DLL search path",
      "%APPDATA%\\Viruzedi\\viruzedi.conf", "%ProgramData%\\Viruzedi\\viruzedi.conf"};
  return text;
}

// %APPDATA% and %ProgramData%, which Windows sets in every session to the
// known folders of roaming application data and of all users' program data.
// Read from the environment, as on Linux, so that a run can be pointed
// elsewhere; an environment stripped of ProgramData still gets the folder
// where Windows has kept it since Vista.
SettingsFilePlaces SystemSettingsFiles() {
  constexpr char kFile[] = "\\Viruzedi\\viruzedi.conf";
  SettingsFilePlaces places;
  const std::string user = EnvironmentValue("APPDATA");
  if (!user.empty()) places.user = user + kFile;
  std::string machine = EnvironmentValue("ProgramData");
  if (machine.empty()) machine = "C:\\ProgramData";
  places.machine = machine + kFile;
  return places;
}

namespace {

// The workstation's download folder when no setting names another.
constexpr const char kDefaultDownloadFolder[] = "C:\\_Letture";

}  // namespace

std::string EnvironmentValue(const std::string& name) {
  const std::wstring wideName = WidePath(name);
  DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return "";
  std::wstring value(size, L'\0');
  DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  value.resize(length < size ? length : 0);
  return Utf8Text(value);
}

Win32Platform::Win32Platform() = default;
Win32Platform::~Win32Platform() = default;

void Win32Platform::MessageBox(const std::string& text, int style, const std::string& caption) {
  const std::string shownCaption = caption.empty() ? std::string(kTypeLibraryName) : caption;
  // A workstation without a person at it (a scheduled run, the tests) has
  // its boxes written to a file instead, one UTF-8 line each.
  const std::string log = EnvironmentValue("VIRUZEDI_MESSAGGI");
  if (!log.empty()) {
    const std::string line = MessageBoxLine(text, caption) + "\r\n";
    HANDLE file = CreateFileW(WidePath(log).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
  }
  MessageBoxW(nullptr, WidePath(text).c_str(), WidePath(shownCaption).c_str(),
              static_cast<UINT>(style) | MB_TASKMODAL);
}

void Win32Platform::Beep() { MessageBeep(MB_OK); }

void Win32Platform::PumpEvents() {
  // The host's window messages run while an operation waits, as they would
  // in its own loop.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

MonotonicTime Win32Platform::Now() { return std::chrono::steady_clock::now(); }

void Win32Platform::SleepFor(std::chrono::nanoseconds duration) {
  std::this_thread::sleep_for(duration);
}

LocalDateTime Win32Platform::LocalNow() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return LocalDateTime{local.wYear, local.wMonth, local.wDay,
                       local.wHour, local.wMinute, local.wSecond};
}

std::string Win32Platform::WorkstationName() {
  // The DNS host name, as the same machine gives it on Linux.
  wchar_t name[256] = {};
  DWORD length = 256;
  if (!GetComputerNameExW(ComputerNameDnsHostname, name, &length)) return "";
  return Utf8Text(std::wstring(name, length));
}

std::string Win32Platform::DownloadFolder() {
  std::string folder = EnvironmentValue("VIRUZEDI_LETTURE");
  if (folder.empty()) folder = kDefaultDownloadFolder;
  // "C:\" keeps its separator: it names the drive's root, "C:" would not.
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
         !(folder.size() == 3 && folder[1] == ':')) {
    folder.pop_back();
  }
  return folder;
}

std::string Win32Platform::SerialDevice(int32_t port) {
  if (port < 1 || port > 255) return "";
  std::string device = EnvironmentValue("VIRUZEDI_COM" + std::to_string(port));
  if (!device.empty()) return device;
  return SystemSerialDevice(port);
}

std::string Win32Platform::TerminalSetting() { return EnvironmentValue("VIRUZEDI_TERMINALE"); }

std::string Win32Platform::InfraredLibraryPath() {
  std::string path = EnvironmentValue("VIRUZEDI_ZIRAV");
  if (!path.empty()) return path;
  // Beside the component when it is there; else the bare name, which the
  // system looks for along the DLL search path.
  std::string beside = JoinPath(ComponentFolder(), "ZiRav.dll");
  if (GetFileAttributesW(WidePath(beside).c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
  return "ZiRav.dll";
}

std::string Win32Platform::ComponentFolder() {
  // The folder of the module that holds this very function: the component's
  // DLL, or the program that carries the component's code inside itself.
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&EnvironmentValue), &module);
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return ".\\";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return JoinPath(ParentFolder(Utf8Text(path)), "");
}

std::unique_ptr<SerialPort> Win32Platform::CreateSerialPort() { return SerialPortOver(*this); }

std::unique_ptr<SerialPort> Win32Platform::SerialPortOver(Platform& services) {
  return MakeDeviceSerialPort(services);
}

FileSystem& Win32Platform::Files() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!files_) files_ = MakeLocalFileSystem();
  return *files_;
}

std::unique_ptr<TerminalLink> Win32Platform::CreateTerminalLink() {
  return TerminalLinkOver(*this);
}

std::unique_ptr<TerminalLink> Win32Platform::TerminalLinkOver(Platform& services) {
  return MakeTerminalLink(services.TerminalSetting(), services);
}

std::unique_ptr<InfraredLibrary> Win32Platform::InfraredLibraryAt(const std::string& path) {
  return MakeWin32InfraredLibrary(path);
}

InfraredLibrary& Win32Platform::Infrared() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string path = InfraredLibraryPath();
  if (!infrared_ || path != infraredPath_) {
    infrared_ = MakeWin32InfraredLibrary(path);
    infraredPath_ = path;
  }
  return *infrared_;
}

ProcessRunner& Win32Platform::Processes() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!processes_) processes_ = MakeWin32ProcessRunner();
  return *processes_;
}

std::shared_ptr<Platform> DefaultPlatform() {
  static std::shared_ptr<Platform> platform = std::make_shared<Win32Platform>();
  return platform;
}

}  // namespace viruzedi
