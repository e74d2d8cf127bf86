// The file system on Linux paths, with the results of the scripting
// file-system object: a move never replaces, a delete without force refuses
// a read-only file, text is read as Windows-1252.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "base/Errors.h"
#include "platform/AsideFile.h"
#include "platform/BlockTextStream.h"
#include "platform/FileSystem.h"
#include "platform/posix/SystemError.h"
#include "platform/Windows1252.h"

namespace viruzedi {

namespace {

// flock, not fcntl locks: a process's fcntl locks all go when it closes any
// descriptor of the file, and an fcntl lock never conflicts within one
// process, so a second lock object of this process would not be refused.
class LocalFileLock : public FileLock {
 public:
  explicit LocalFileLock(int fd) : fd_(fd) {}
  ~LocalFileLock() override { close(fd_); }
  LocalFileLock(const LocalFileLock&) = delete;
  LocalFileLock& operator=(const LocalFileLock&) = delete;

 private:
  int fd_;
};

// Locks `fd` without waiting: the lock object, or null (the descriptor
// closed) when another holder has it.
std::unique_ptr<FileLock> LockDescriptor(int fd, const std::string& path) {
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    if (error == EINTR) continue;
    close(fd);
    if (error == EWOULDBLOCK) return nullptr;
    RaiseSystemError(error, path);
  }
  return std::make_unique<LocalFileLock>(fd);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A text stream on an open descriptor.
class LocalTextStream : public BlockTextStream {
 public:
  LocalTextStream(int fd, std::string path) : BlockTextStream(std::move(path)), fd_(fd) {}
  ~LocalTextStream() override { Close(); }

  void Close() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 protected:
  bool Closed() const override { return fd_ < 0; }
  size_t ReadBlock(char* buffer, size_t size) override {
    while (true) {
      ssize_t n = read(fd_, buffer, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) RaiseSystemError(errno, path());
      return static_cast<size_t>(n);
    }
  }

 private:
  int fd_;
};

// True when `path` names the file open as `fd` (not another that took the
// name, nor none).
bool NamesDescriptor(const std::string& path, int fd) {
  struct stat opened {}, named {};
  return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Opens `path` for appending under its lock, waiting for the holder: one
// that imports the file holds it from before its read until the file has
// left its name, so an append lands either in what it reads or in a new file
// of that name, never in between.
int OpenLockedForAppend(const std::string& path) {
  while (true) {
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == ENOENT && !IsFolder(ParentFolder(path))) RaiseError(kPathNotFound, path);
      RaiseSystemError(errno, path);
    }
    while (flock(fd, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      int error = errno;
      close(fd);
      RaiseSystemError(error, path);
    }
    if (NamesDescriptor(path, fd)) return fd;
    close(fd);  // moved away meanwhile: append to the file now at the name
  }
}

[[noreturn]] void RaiseCreateError(int error, const std::string& path) {
  if (error == ENOENT) RaiseError(kPathNotFound, ParentFolder(path));
  RaiseSystemError(error, ParentFolder(path));
}

// Made, then locked: another process may look at the file in between, but
// only for a moment (one looking for waiting files), so the lock waits. One
// that removed it meanwhile as an abandoned empty reservation leaves the
// name free for anyone: it counts as taken, and the caller moves on.
std::unique_ptr<FileLock> CreateThenLock(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    int error = errno;
    if (error == EEXIST || error == ELOOP) return nullptr;
    RaiseCreateError(error, path);
  }
  while (flock(fd, LOCK_EX) != 0) {
    int error = errno;
    if (error == EINTR) continue;
    close(fd);
    RaiseSystemError(error, path);
  }
  if (!NamesDescriptor(path, fd)) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<LocalFileLock>(fd);
}

class LocalFileSystem : public FileSystem {
 public:
  bool FolderExists(const std::string& path) override { return IsFolder(path); }

  void CreateFolder(const std::string& path) override {
    if (mkdir(path.c_str(), 0777) == 0) return;
    int error = errno;
    if (error == EEXIST) RaiseError(kFileAlreadyExists, path);
    if (error == ENOENT) RaiseError(kPathNotFound, path);
    RaiseSystemError(error, path);
  }

  bool FileExists(const std::string& path) override {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  void DeleteFile(const std::string& path, bool force) override {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) RaiseSystemError(errno, path);
    if (S_ISDIR(st.st_mode)) RaiseError(kFileNotFound, path);
    // A file without write permission is a read-only file; root's power to
    // write anyway must not make the refusal disappear.
    if (!force && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      RaiseError(kPermissionDenied, path);
    }
    if (unlink(path.c_str()) != 0) RaiseSystemError(errno, path);
  }

  std::unique_ptr<TextStream> OpenTextFile(const std::string& path) override {
    if (IsFolder(path)) RaiseError(kPathFileAccessError, path);
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENOENT && !IsFolder(ParentFolder(path))) RaiseError(kPathNotFound, path);
      RaiseSystemError(errno, path);
    }
    return std::make_unique<LocalTextStream>(fd, path);
  }

  void MoveFile(const std::string& source, const std::string& destination) override {
    struct stat st {};
    if (stat(source.c_str(), &st) != 0) RaiseError(kFileNotFound, source);
    if (!IsFolder(ParentFolder(destination))) RaiseError(kPathNotFound, destination);
    // RENAME_NOREPLACE makes "never replaces" hold even against a file that
    // appears between a test and the rename.
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) {
      return;
    }
    int error = errno;
    if (error == EEXIST) RaiseError(kFileAlreadyExists, destination);
    if (error != EXDEV) RaiseSystemError(error, source);
    CopyAcross(source, destination);
    // A file left in both places would be imported twice: the copy goes.
    if (unlink(source.c_str()) != 0) {
      int error = errno;
      unlink(destination.c_str());
      RaiseSystemError(error, source);
    }
  }

  void WriteTextFile(const std::string& path, const std::string& text) override {
    AsideFile file(path);
    file.Write(Utf8ToWindows1252(text));
    file.Commit();
  }

  std::unique_ptr<FileLock> CreateLocked(const std::string& path) override {
    // A name made and locked in two steps can be seen unlocked between them:
    // a download looking for waiting files would then take the other's
    // fresh reservation, and its own lock would fail. The file is made
    // unnamed, locked, then linked to the name, which never replaces.
    int fd = open(ParentFolder(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0) {
      int error = errno;
      if (error != EOPNOTSUPP && error != EISDIR && error != EINVAL) RaiseCreateError(error, path);
      return CreateThenLock(path);  // a file system without unnamed files
    }
    std::unique_ptr<FileLock> lock = LockDescriptor(fd, path);
    if (!lock) RaiseError(kPermissionDenied, path);  // nobody else can see it
    const std::string unnamed = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, unnamed.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return lock;
    }
    int error = errno;
    if (error == EEXIST) return nullptr;
    RaiseCreateError(error, path);
  }

  std::unique_ptr<FileLock> TryLock(const std::string& path) override {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) RaiseSystemError(errno, path);
    return LockDescriptor(fd, path);
  }

  void AppendToFile(const std::string& path, const std::string& bytes) override {
    int fd = OpenLockedForAppend(path);
    // One write: a file that cannot take the whole text takes none of it.
    struct stat before {};
    fstat(fd, &before);
    ssize_t written;
    do {
      written = write(fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    int error = written < 0 ? errno : (static_cast<size_t>(written) < bytes.size() ? ENOSPC : 0);
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (error != 0) {
      if (written > 0 && ftruncate(fd, before.st_size) != 0) {
        // What stays is a partial line, which the next reader refuses.
      }
      close(fd);
      RaiseSystemError(error, path);
    }
    if (close(fd) != 0) RaiseSystemError(errno, path);
  }

  std::string FileVersion(const std::string& path) override {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return "";
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
           std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
  }

  std::string CanonicalFolder(const std::string& folder) override {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(folder, error);
    if (error) path = std::filesystem::absolute(folder, error).lexically_normal();
    std::string name = path.string();
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    return name;
  }

  std::vector<std::string> ListFolder(const std::string& folder) override {
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) {
      if (errno == ENOENT || errno == ENOTDIR) RaiseError(kPathNotFound, folder);
      RaiseSystemError(errno, folder);
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(std::move(name));
    }
    closedir(listing);
    return names;
  }

 private:
  // A move across file systems: the copy is made whole and durable under
  // the destination name (never replacing a file there) before the source goes.
  static void CopyAcross(const std::string& source, const std::string& destination) {
    int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) RaiseSystemError(errno, source);
    try {
      AsideFile copy(destination);
      copy.CopyFrom(in, source);
      copy.CommitNew();
    } catch (...) {
      close(in);
      throw;
    }
    close(in);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeLocalFileSystem() { return std::make_unique<LocalFileSystem>(); }

}  // namespace viruzedi
