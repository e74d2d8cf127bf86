// The file system on Windows paths (UTF-8 here, UTF-16 for the system), with
// the results of the scripting file-system object: a move never replaces, a
// delete without force refuses a read-only file, text is read as
// Windows-1252. The system ignores letter case in names, so "X.tmp" and
// "X.TMP" are one name to every call here.
#include <atomic>

#include "base/Errors.h"
#include "platform/AsideFile.h"
#include "platform/BlockTextStream.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "platform/win32/FileHandles.h"
#include "platform/win32/SystemError.h"

namespace viruzedi {
namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WidePath(path).c_str()); }

bool IsFolder(const std::string& path) {
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A lock held through its own handle; closing the handle lets go.
class LocalFileLock : public FileLock {
 public:
  explicit LocalFileLock(Handle handle) : handle_(std::move(handle)) {}

 private:
  Handle handle_;
};

class LocalTextStream : public BlockTextStream {
 public:
  LocalTextStream(Handle file, std::string path)
      : BlockTextStream(std::move(path)), file_(std::move(file)) {}
  ~LocalTextStream() override { Close(); }
  void Close() override { file_.Close(); }

 protected:
  bool Closed() const override { return !file_.valid(); }
  size_t ReadBlock(char* buffer, size_t size) override {
    DWORD got = 0;
    if (!ReadFile(file_.get(), buffer, static_cast<DWORD>(size), &got, nullptr)) {
      RaiseLastWindowsError(path());
    }
    return got;
  }

 private:
  Handle file_;
};

[[noreturn]] void RaiseCreateError(DWORD error, const std::string& path) {
  if (error == ERROR_PATH_NOT_FOUND) RaiseError(kPathNotFound, ParentFolder(path));
  RaiseWindowsError(error, ParentFolder(path));
}

// Opens `path` for appending under its lock, waiting for the holder: one
// that imports the file holds it from before its read until the file has
// left its name, so an append lands either in what it reads or in a new file
// of that name, never in between.
Handle OpenLockedForAppend(const std::string& path) {
  while (true) {
    Handle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
      DWORD error = GetLastError();
      if (error == ERROR_PATH_NOT_FOUND) RaiseError(kPathNotFound, path);
      RaiseWindowsError(error, path);
    }
    if (!LockHandle(file.get(), true)) RaiseLastWindowsError(path);
    Handle named = OpenExisting(path, 0);
    if (named.valid() && SameFile(file.get(), named.get())) return file;
    // Moved away meanwhile: append to the file now at the name.
  }
}

// The name the file system keeps for an existing folder, as a person writes
// it: every link resolved, its letters as stored. "" when it cannot say.
std::string FinalName(const std::string& folder) {
  // A folder opens only with backup semantics; nothing is read or written
  // through the handle, so any sharing is allowed.
  HANDLE handle = CreateFileW(WidePath(folder).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return "";
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = 0;
  for (;;) {
    length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length < path.size()) break;
    path.resize(length + 1);
  }
  CloseHandle(handle);
  if (length == 0) return "";
  path.resize(length);
  // The long form (\\?\C:\..., \\?\UNC\server\...) written as a person
  // writes it reads the same on every workstation.
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path = L"\\" + path.substr(7);
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path = path.substr(4);
  }
  return Utf8Text(path);
}

class LocalFileSystem : public FileSystem {
 public:
  bool FolderExists(const std::string& path) override { return IsFolder(path); }

  void CreateFolder(const std::string& path) override {
    if (CreateDirectoryW(WidePath(path).c_str(), nullptr)) return;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) RaiseError(kFileAlreadyExists, path);
    if (error == ERROR_PATH_NOT_FOUND) RaiseError(kPathNotFound, path);
    RaiseWindowsError(error, path);
  }

  bool FileExists(const std::string& path) override {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  void DeleteFile(const std::string& path, bool force) override {
    DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      DWORD error = GetLastError();
      // A missing folder on the way is as much "no such file" as on Linux.
      RaiseWindowsError(error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error, path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) RaiseError(kFileNotFound, path);
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      if (!force) RaiseError(kPermissionDenied, path);
      SetFileAttributesW(WidePath(path).c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (!DeleteFileW(WidePath(path).c_str())) RaiseLastWindowsError(path);
  }

  std::unique_ptr<TextStream> OpenTextFile(const std::string& path) override {
    if (IsFolder(path)) RaiseError(kPathFileAccessError, path);
    Handle file = OpenExisting(path, GENERIC_READ);
    if (!file.valid()) {
      DWORD error = GetLastError();
      if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
          !IsFolder(ParentFolder(path))) {
        RaiseError(kPathNotFound, path);
      }
      RaiseWindowsError(error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error, path);
    }
    return std::make_unique<LocalTextStream>(std::move(file), path);
  }

  void MoveFile(const std::string& source, const std::string& destination) override {
    if (Attributes(source) == INVALID_FILE_ATTRIBUTES) RaiseError(kFileNotFound, source);
    if (!IsFolder(ParentFolder(destination))) RaiseError(kPathNotFound, destination);
    // Names that differ only in letter case are one name here: a move to
    // such a name is a move onto the file itself, which the system would
    // take for a mere change of case (or, under Wine, do nothing at all and
    // succeed). The caller asked for a name nobody holds, and this one is
    // held.
    if (Attributes(destination) != INVALID_FILE_ATTRIBUTES) {
      RaiseError(kFileAlreadyExists, destination);
    }
    // Without MOVEFILE_REPLACE_EXISTING the system itself refuses a
    // destination that exists, also one that appears at the last moment.
    // Across volumes it copies whole, then deletes the source.
    if (MoveFileExW(WidePath(source).c_str(), WidePath(destination).c_str(),
                    MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
      return;
    }
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
      RaiseError(kFileAlreadyExists, destination);
    }
    RaiseWindowsError(error, source);
  }

  void WriteTextFile(const std::string& path, const std::string& text) override {
    AsideFile file(path);
    file.Write(Utf8ToWindows1252(text));
    file.Commit();
  }

  std::unique_ptr<FileLock> CreateLocked(const std::string& path) override {
    // A name made and locked in two steps can be seen unlocked between them:
    // a download looking for waiting files would then take the other's
    // fresh reservation, and its own lock would fail. The file is made under
    // a name of its own that nobody looks for, locked, and then renamed by
    // its handle to the name, which never replaces: it shows at the name
    // already locked.
    static std::atomic<unsigned> counter{0};
    const std::string unnamed =
        JoinPath(ParentFolder(path), ".nuovo." + std::to_string(GetCurrentProcessId()) + "-" +
                                         std::to_string(counter++) + ".tmp");
    Handle file(CreateFileW(WidePath(unnamed).c_str(), GENERIC_READ | DELETE, kShareAll, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) RaiseCreateError(GetLastError(), path);
    if (!LockHandle(file.get(), false)) {
      DeleteByHandle(file.get());
      RaiseError(kPermissionDenied, path);  // nobody else can know its name
    }
    if (RenameByHandle(file.get(), path, false)) {
      return std::make_unique<LocalFileLock>(std::move(file));
    }
    DWORD error = GetLastError();
    DeleteByHandle(file.get());
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
        error == ERROR_ACCESS_DENIED) {
      // Taken, by a file or a folder (which refuses as access denied).
      if (Attributes(path) != INVALID_FILE_ATTRIBUTES) return nullptr;
    }
    RaiseCreateError(error, path);
  }

  std::unique_ptr<FileLock> TryLock(const std::string& path) override {
    Handle file = OpenExisting(path, GENERIC_READ);
    if (!file.valid()) RaiseLastWindowsError(path);
    if (!LockHandle(file.get(), false)) {
      DWORD error = GetLastError();
      if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return nullptr;
      RaiseWindowsError(error, path);
    }
    return std::make_unique<LocalFileLock>(std::move(file));
  }

  void AppendToFile(const std::string& path, const std::string& bytes) override {
    Handle file = OpenLockedForAppend(path);
    LARGE_INTEGER before{};
    SetFilePointerEx(file.get(), LARGE_INTEGER{}, &before, FILE_END);
    // One write: a file that cannot take the whole text takes none of it.
    DWORD written = 0;
    DWORD error = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr)) {
      error = GetLastError();
    } else if (written < bytes.size()) {
      error = ERROR_DISK_FULL;
    } else if (!FlushFileBuffers(file.get())) {
      error = GetLastError();
    }
    if (error != 0) {
      if (written > 0 && SetFilePointerEx(file.get(), before, nullptr, FILE_BEGIN)) {
        SetEndOfFile(file.get());
      }
      RaiseWindowsError(error, path);
    }
  }

  std::string FileVersion(const std::string& path) override {
    Handle file = OpenExisting(path, 0);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return "";
    const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    const uint64_t written = (uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                             info.ftLastWriteTime.dwLowDateTime;
    return std::to_string(info.dwVolumeSerialNumber) + ":" +
           std::to_string((uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow) + ":" +
           std::to_string(size) + ":" + std::to_string(written);
  }

  std::string CanonicalFolder(const std::string& folder) override {
    // The nearest folder that is there names the rest.
    std::string existing = folder;
    std::string rest;
    while (!IsFolder(existing)) {
      const std::string parent = ParentFolder(existing);
      if (parent == existing || parent.empty() || parent == ".") return folder;
      rest = BaseName(existing) + (rest.empty() ? "" : "\\" + rest);
      existing = parent;
    }
    std::string named = FinalName(existing);
    if (named.empty()) named = existing;
    if (rest.empty()) return named;
    return JoinPath(named, rest);
  }

  std::vector<std::string> ListFolder(const std::string& folder) override {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(WidePath(JoinPath(folder, "*")).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND && IsFolder(folder)) return {};
      if (error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ||
          error == ERROR_DIRECTORY) {
        RaiseError(kPathNotFound, folder);
      }
      RaiseWindowsError(error, folder);
    }
    std::vector<std::string> names;
    do {
      std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") names.push_back(Utf8Text(name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeLocalFileSystem() { return std::make_unique<LocalFileSystem>(); }

}  // namespace viruzedi
