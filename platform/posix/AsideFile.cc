#include "platform/FileSystem.h"
#include "platform/AsideFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Errors.h"
#include "platform/posix/SystemError.h"

namespace viruzedi {

AsideFile::AsideFile(std::string destination) : destination_(std::move(destination)) {
  aside_ = NewAsideFilePath(destination_, static_cast<uint64_t>(::getpid()));
  fd_ = ::open(aside_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    if (errno == ENOENT) RaiseError(kPathNotFound, ParentFolder(destination_));
    // The folder refuses the new name, whatever the destination is called.
    RaiseSystemError(errno, ParentFolder(destination_));
  }
}

AsideFile::~AsideFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(aside_.c_str());
}

void AsideFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      RaiseSystemError(errno, destination_);
    }
    bytes.remove_prefix(static_cast<size_t>(written));
    size_ += static_cast<uint64_t>(written);
  }
}

void AsideFile::CopyFrom(int source, const std::string& sourcePath) {
  std::string buffer(64 * 1024, '\0');
  while (true) {
    ssize_t got = ::read(source, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) RaiseSystemError(errno, sourcePath);
    if (got == 0) return;
    Write(std::string_view(buffer.data(), static_cast<size_t>(got)));
  }
}

void AsideFile::Commit() { Finish(true); }

bool AsideFile::CopyFromFile(const std::string& path, char& lastByte) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    RaiseSystemError(errno, path);
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    char last = 0;
    if (::pread(fd, &last, 1, st.st_size - 1) == 1) lastByte = last;
  }
  try {
    CopyFrom(fd, path);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return true;
}

void AsideFile::CommitNew() { Finish(false); }

void AsideFile::Finish(bool replace) {
  if (::fsync(fd_) != 0) RaiseSystemError(errno, destination_);
  int fd = fd_;
  fd_ = -1;
  // The last write error of some file systems shows only here.
  if (::close(fd) != 0) RaiseSystemError(errno, destination_);
  int renamed = replace ? ::rename(aside_.c_str(), destination_.c_str())
                        : ::renameat2(AT_FDCWD, aside_.c_str(), AT_FDCWD, destination_.c_str(),
                                      RENAME_NOREPLACE);
  if (renamed != 0) RaiseSystemError(errno, destination_);
  committed_ = true;
  int folder = ::open(ParentFolder(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);  // the new name durable too, where the file system allows
    ::close(folder);
  }
}

bool NameTaken(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  RaiseSystemError(errno, from);
}

bool RemoveFileIfPresent(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  RaiseSystemError(errno, path);
}

}  // namespace viruzedi
