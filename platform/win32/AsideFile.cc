// Set-aside files and names on Windows. The file is written through a
// handle of its own, wrapped in a C runtime descriptor so that the interface
// stays the one of every system; it is renamed into place once closed.
#include "platform/AsideFile.h"

#include <fcntl.h>
#include <io.h>

#include "base/Errors.h"
#include "platform/FileSystem.h"
#include "platform/win32/FileHandles.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"

namespace viruzedi {
namespace {

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// Reads `source` block by block into `sink` until its end.
template <typename Sink>
void ReadAll(HANDLE source, const std::string& sourcePath, Sink sink) {
  std::string buffer(64 * 1024, '\0');
  while (true) {
    DWORD got = 0;
    if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) return;
      RaiseLastWindowsError(sourcePath);
    }
    if (got == 0) return;
    sink(std::string_view(buffer.data(), got));
  }
}

}  // namespace

AsideFile::AsideFile(std::string destination) : destination_(std::move(destination)) {
  aside_ = NewAsideFilePath(destination_, GetCurrentProcessId());
  HANDLE handle = CreateFileW(WidePath(aside_).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) RaiseError(kPathNotFound, ParentFolder(destination_));
    // The folder refuses the new name, whatever the destination is called.
    RaiseWindowsError(error, ParentFolder(destination_));
  }
  fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd_ < 0) {
    CloseHandle(handle);
    DeleteFileW(WidePath(aside_).c_str());
    RaiseError(kPathFileAccessError, destination_);
  }
}

AsideFile::~AsideFile() {
  if (fd_ >= 0) _close(fd_);
  if (!committed_) DeleteFileW(WidePath(aside_).c_str());
}

void AsideFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(HandleOf(fd_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr)) {
      RaiseLastWindowsError(destination_);
    }
    bytes.remove_prefix(written);
    size_ += written;
  }
}

void AsideFile::CopyFrom(int source, const std::string& sourcePath) {
  ReadAll(HandleOf(source), sourcePath, [this](std::string_view bytes) { Write(bytes); });
}

bool AsideFile::CopyFromFile(const std::string& path, char& lastByte) {
  HANDLE source = CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (source == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return false;
    RaiseLastWindowsError(path);
  }
  try {
    ReadAll(source, path, [&](std::string_view bytes) {
      Write(bytes);
      lastByte = bytes.back();
    });
  } catch (...) {
    CloseHandle(source);
    throw;
  }
  CloseHandle(source);
  return true;
}

void AsideFile::Commit() { Finish(true); }

void AsideFile::CommitNew() { Finish(false); }

void AsideFile::Finish(bool replace) {
  if (!FlushFileBuffers(HandleOf(fd_))) RaiseLastWindowsError(destination_);
  int fd = fd_;
  fd_ = -1;
  if (_close(fd) != 0) RaiseError(kDeviceIoError, destination_);
  // A name is renamed only once nobody holds it open: the handle is closed.
  DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  bool moved = MoveFileExW(WidePath(aside_).c_str(), WidePath(destination_).c_str(), flags);
  if (!moved && replace &&
      (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION)) {
    // The file being replaced is held open (a reservation its download
    // keeps locked): it steps aside, and the name takes the new file.
    moved = StepAside(destination_) &&
            MoveFileExW(WidePath(aside_).c_str(), WidePath(destination_).c_str(),
                        MOVEFILE_WRITE_THROUGH);
  }
  if (!moved) {
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    RaiseWindowsError(error, destination_);
  }
  committed_ = true;
}

bool NameTaken(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
  RaiseWindowsError(error, from);
}

bool RemoveFileIfPresent(const std::string& path) {
  if (DeleteFileW(WidePath(path).c_str())) return true;
  if (GetLastError() == ERROR_FILE_NOT_FOUND) return false;
  RaiseLastWindowsError(path);
}

}  // namespace viruzedi
