#include "platform/DirectoryTerminalLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "component/AutomationError.h"
#include "platform/AsideFile.h"
#include "platform/SystemError.h"

namespace viruzedi {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// A descriptor closed however the scope is left.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failed close is seen (the last write error may
  // only show here).
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Flushes a folder's entries (a new, renamed or removed name) to disk. Some
// file systems cannot sync a folder; their entries are as durable as they get.
void SyncFolder(const std::string& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

void SyncFile(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) RaiseSystemError(errno, path);
  if (::fsync(fd.get()) != 0) RaiseSystemError(errno, path);
}

// Copies `source` so that `destination` shows the whole file or nothing
// (replacing an older file of that name).
void CopyDurably(int source, const std::string& sourcePath, const std::string& destination) {
  AsideFile copy(destination);
  copy.CopyFrom(source, sourcePath);
  copy.Commit();
}

class DirectoryTerminalLink : public TerminalLink {
 public:
  explicit DirectoryTerminalLink(std::string folder) : folder_(std::move(folder)) {}

  bool FlagAlternativo() override { return false; }
  void OperazioneAlternativa() override {}

  void InviaFile(const std::string& path) override {
    if (!IsFolder(folder_)) RaiseError(kPathNotFound, folder_);
    FileDescriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0) RaiseSystemError(errno, path);
    struct stat info {};
    if (::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
      RaiseError(kFileNotFound, path);
    }
    CopyDurably(in.get(), path, folder_ + "/" + BaseName(path));
  }

  void RiceviFile(const std::string& path, int16_t numeroFile) override {
    if (!IsFolder(folder_)) RaiseError(kPathNotFound, folder_);
    const std::string source = folder_ + "/" + std::to_string(numeroFile) + ".txt";
    // Only a file is a terminal's file: a folder would be moved as if
    // received, and a pipe would hold the copy below for ever.
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0) {
      int error = errno;
      if (error == ENOENT && !Exists(source)) return;  // the terminal has nothing to send
      if (error != ENOENT) RaiseSystemError(error, source);
    }
    if (!S_ISREG(info.st_mode)) RaiseError(kPathFileAccessError, source);

    // Within one file system the rename itself takes the file once: of two
    // readers at the same moment only one can win it.
    if (::rename(source.c_str(), path.c_str()) == 0) {
      // The terminal side may have written it just now; it must not be lost
      // once it has left the terminal's folder.
      SyncFile(path);
      SyncFolder(ParentFolder(path));
      return;
    }
    int error = errno;
    if (error == ENOENT) {
      if (!Exists(source)) return;  // the terminal has nothing to send
      RaiseError(kPathNotFound, ParentFolder(path));
    }
    if (error != EXDEV) RaiseSystemError(error, source);

    // Not blocking on a pipe put in the file's place since the test above.
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0) {
      if (errno == ENOENT) return;  // taken by another reader meanwhile
      RaiseSystemError(errno, source);
    }
    if (::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
      RaiseError(kPathFileAccessError, source);
    }
    CopyDurably(in.get(), source, path);
    // Only a file that has left the terminal counts as received: if it cannot
    // be removed there, the copy goes, so it is not imported twice.
    if (::unlink(source.c_str()) != 0) {
      int unlinkError = errno;
      ::unlink(path.c_str());
      if (unlinkError == ENOENT) return;  // another reader took it: it is theirs
      RaiseSystemError(unlinkError, source);
    }
    SyncFolder(folder_);
  }

 private:
  std::string folder_;
};

}  // namespace

std::unique_ptr<TerminalLink> MakeDirectoryTerminalLink(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return std::make_unique<DirectoryTerminalLink>(std::move(folder));
}

}  // namespace viruzedi
