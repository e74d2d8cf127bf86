// Files on Windows reached through their handles, for the file system and
// the terminal's folder: a handle that closes itself, the lock the file
// system's locks are made of, and a rename of an open file by its handle,
// which renames that very file whatever its name shows meanwhile.
#pragma once

#include <string>

#include "platform/win32/Win32Headers.h"

namespace viruzedi {

class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(Handle&& other) noexcept : handle_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }
  void Close() {
    if (valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// Every sharing: a handle of the component never keeps another program from
// reading, writing, renaming or deleting the file. Locks do the excluding.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens an existing file (or folder, with `folder`) for `access`.
Handle OpenExisting(const std::string& path, DWORD access, bool folder = false);

// The lock of a file: one byte far past any content, so that it keeps
// other holders of the lock out without keeping readers or writers of the
// content out (a Windows lock on the content itself would). `wait` blocks
// until the holder lets go; otherwise false when another holder has it.
bool LockHandle(HANDLE file, bool wait);

// Renames the open file (opened with DELETE access) to `to`; with `replace`
// false, never over an existing name. False with GetLastError when refused.
bool RenameByHandle(HANDLE file, const std::string& to, bool replace);
// Frees the name `path` from the file that has it, which a holder may keep
// open (Windows replaces no open file, however the holder shares it): the
// file is renamed through a handle of ours to a hidden name beside it and
// deleted once its last holder lets it go. True when the name is free
// (also when no file had it); false with GetLastError.
bool StepAside(const std::string& path);
// Deletes the open file (opened with DELETE access) when its last handle closes.
bool DeleteByHandle(HANDLE file);

// Whether two handles show the same file.
bool SameFile(HANDLE a, HANDLE b);

}  // namespace viruzedi
