#include "platform/win32/FileHandles.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/SystemError.h"

namespace viruzedi {
namespace {

// The system's own form of a path, which renames by handle take: the full
// path behind the "\??\" prefix (UNC paths behind "\??\UNC\").
std::wstring NativePath(const std::string& path) {
  std::wstring wide = WidePath(path);
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  full.resize(length < size ? length : 0);
  if (full.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + full.substr(4);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + full.substr(2);
  return L"\\??\\" + full;
}

}  // namespace

Handle OpenExisting(const std::string& path, DWORD access, bool folder) {
  return Handle(CreateFileW(WidePath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                            folder ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL,
                            nullptr));
}

bool LockHandle(HANDLE file, bool wait) {
  OVERLAPPED where{};
  where.Offset = 0;
  where.OffsetHigh = 0x7FFFFFFF;
  DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  return LockFileEx(file, flags, 0, 1, 0, &where) != FALSE;
}

bool RenameByHandle(HANDLE file, const std::string& to, bool replace) {
  const std::wstring target = NativePath(to);
  const size_t nameBytes = target.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes + sizeof(wchar_t), 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(nameBytes);
  std::memcpy(info->FileName, target.c_str(), nameBytes);
  return SetFileInformationByHandle(file, FileRenameInfo, info,
                                    static_cast<DWORD>(buffer.size())) != FALSE;
}

bool StepAside(const std::string& path) {
  Handle held(CreateFileW(WidePath(path).c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held.valid()) return GetLastError() == ERROR_FILE_NOT_FOUND;
  static std::atomic<unsigned> stepped{0};
  const std::string aside =
      JoinPath(ParentFolder(path), "." + BaseName(path) + "." +
                                       std::to_string(GetCurrentProcessId()) + "-" +
                                       std::to_string(stepped++) + ".vecchio");
  if (!RenameByHandle(held.get(), aside, false)) return false;
  DeleteByHandle(held.get());
  return true;
}

bool DeleteByHandle(HANDLE file) {
  // Its one member is called DeleteFile, which <windows.h> renames as it
  // renames the function (Win32Headers.h): it is set by position.
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof disposition) != FALSE;
}

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace viruzedi
