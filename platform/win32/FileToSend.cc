#include "platform/FileToSend.h"

#include "base/Errors.h"
#include "platform/FileSystem.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"

namespace viruzedi {

YmodemFileInfo ReadFileToSend(const std::string& path, std::string& contents) {
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_ACCESS_DENIED) RaiseError(kPermissionDenied, path);
    RaiseError(kFileNotFound, path);
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    RaiseError(kFileNotFound, path);
  }
  contents.clear();
  char buffer[65536];
  while (true) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      CloseHandle(file);
      RaiseError(kDeviceIoError, path);
    }
    if (got == 0) break;
    contents.append(buffer, got);
  }
  CloseHandle(file);
  YmodemFileInfo info;
  info.name = BaseName(path);
  // 100-nanosecond steps since 1601 to seconds since 1970.
  const uint64_t ticks = (uint64_t{information.ftLastWriteTime.dwHighDateTime} << 32) |
                         information.ftLastWriteTime.dwLowDateTime;
  info.modificationTime = static_cast<int64_t>(ticks / 10000000 - 11644473600ULL);
  return info;
}

}  // namespace viruzedi
