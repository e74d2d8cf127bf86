// What the command line takes from the support library on Windows: its
// environment, its own folder, the console. Child processes that run beside
// the caller serve the simulators and the demo, which are Linux-only.
#include "platform/ChildProcess.h"

#include <io.h>
#include <stdlib.h>

#include <cstdio>

#include "base/Errors.h"
#include "platform/FileSystem.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"

namespace viruzedi {

int RunProcess(const std::vector<std::string>& argv) {
  if (argv.empty()) return 127;
  std::string line;
  for (const std::string& argument : argv) {
    if (!line.empty()) line += ' ';
    line += '"' + argument + '"';
  }
  std::wstring wide = WidePath(line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &child)) {
    return 127;
  }
  CloseHandle(child.hThread);
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hProcess);
  return static_cast<int>(code);
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  // Both copies of the environment: the system's, which children inherit
  // and the platform reads, and the C runtime's, which getenv reads.
  _wputenv_s(WidePath(name).c_str(), WidePath(value).c_str());
  SetEnvironmentVariableW(WidePath(name).c_str(), WidePath(value).c_str());
}

std::string ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return ".\\";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return JoinPath(ParentFolder(Utf8Text(path)), "");
}

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

size_t StandardErrorColumns() {
  CONSOLE_SCREEN_BUFFER_INFO console{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &console)) return 0;
  return static_cast<size_t>(console.srWindow.Right - console.srWindow.Left + 1);
}

std::string MakeTemporaryFolder(const std::string& prefix) {
  wchar_t base[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, base);
  std::string folder = length > 0 ? Utf8Text(std::wstring(base, length)) : ".\\";
  for (unsigned attempt = 0;; ++attempt) {
    std::string path = JoinPath(folder, prefix + std::to_string(GetCurrentProcessId()) + "-" +
                                            std::to_string(GetTickCount() + attempt));
    if (CreateDirectoryW(WidePath(path).c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) RaiseError(kPathNotFound, path);
  }
}

}  // namespace viruzedi
