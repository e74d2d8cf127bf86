#include "platform/DirectoryTerminalLink.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "platform/AsideFile.h"
#include "platform/FileSystem.h"
#include "platform/posix/SystemError.h"

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
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
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

// Copies `source` so that `destination` shows the whole file or nothing
// (replacing an older file of that name).
void CopyDurably(int source, const std::string& sourcePath, const std::string& destination) {
  AsideFile copy(destination);
  copy.CopyFrom(source, sourcePath);
  copy.Commit();
}

// A terminal file taken by this download: renamed inside the terminal's
// folder to a name of its own, and locked (through `fd`) until that name is
// gone, so that a claim whose lock can be taken was left by a dead process.
struct Claim {
  FileDescriptor fd;
  std::string path;
};

bool SameFile(int fd, const std::string& path) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Puts a claimed file back under the terminal's name, never over a newer
// file the terminal wrote meanwhile (the claim then waits, unlocked, for the
// next download).
void PutBack(const std::string& claim, const std::string& source) {
  ::renameat2(AT_FDCWD, claim.c_str(), AT_FDCWD, source.c_str(), RENAME_NOREPLACE);
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
    CopyDurably(in.get(), path, JoinPath(folder_, BaseName(path)));
  }

  bool RiceviFile(const std::string& path, int16_t numeroFile) override {
    if (!IsFolder(folder_)) RaiseError(kPathNotFound, folder_);
    const std::string source = JoinPath(folder_, std::to_string(numeroFile) + ".txt");
    std::optional<Claim> claim = ClaimFile(source, numeroFile);
    if (!claim) return false;  // the terminal has nothing to send

    if (::rename(claim->path.c_str(), path.c_str()) == 0) {
      // The terminal side may have written it just now; it must not be lost
      // once it has left the terminal's folder.
      if (::fsync(claim->fd.get()) != 0) RaiseSystemError(errno, path);
      SyncFolder(ParentFolder(path));
      SyncFolder(folder_);
      return true;
    }
    int error = errno;
    if (error != EXDEV) {
      PutBack(claim->path, source);
      if (error == ENOENT) RaiseError(kPathNotFound, ParentFolder(path));
      RaiseSystemError(error, ParentFolder(path));
    }
    try {
      CopyDurably(claim->fd.get(), claim->path, path);
    } catch (...) {
      PutBack(claim->path, source);
      throw;
    }
    // Only a file that has left the terminal counts as received: if it cannot
    // be removed there, the copy goes, so it is not imported twice.
    if (::unlink(claim->path.c_str()) != 0) {
      int unlinkError = errno;
      ::unlink(path.c_str());
      PutBack(claim->path, source);
      RaiseSystemError(unlinkError, source);
    }
    SyncFolder(folder_);
    return true;
  }

 private:
  // Claims are hidden names of the terminal's folder, one per download:
  // ".<N>.txt.<process>-<count>.preso".
  std::string ClaimPrefix(int16_t numeroFile) const {
    return "." + std::to_string(numeroFile) + ".txt.";
  }
  std::string NewClaimName(int16_t numeroFile) {
    return JoinPath(folder_, ClaimPrefix(numeroFile) + std::to_string(::getpid()) + "-" +
                                 std::to_string(claims_++) + kClaimEnd);
  }

  // Locks the open file, then renames the name that showed it to a claim of
  // our own; true when the name still showed that very file. The lock comes
  // first: a file another download has locked is its, whatever name it has.
  std::optional<Claim> Rename(FileDescriptor fd, const std::string& from, int16_t numeroFile) {
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return std::nullopt;  // being claimed
    Claim claim{std::move(fd), NewClaimName(numeroFile)};
    if (::rename(from.c_str(), claim.path.c_str()) != 0) {
      if (errno == ENOENT) return std::nullopt;  // taken meanwhile
      RaiseSystemError(errno, from);
    }
    if (SameFile(claim.fd.get(), claim.path)) return claim;
    // The name showed a newer file by then, not the one locked: not ours.
    PutBack(claim.path, from);
    return std::nullopt;
  }

  std::optional<Claim> ClaimFile(const std::string& source, int16_t numeroFile) {
    if (std::optional<Claim> abandoned = TakeAbandonedClaim(numeroFile)) return abandoned;
    return ClaimTerminalFile(source, numeroFile);
  }

  // A claim whose download died before the file left the terminal's folder.
  std::optional<Claim> TakeAbandonedClaim(int16_t numeroFile) {
    DIR* listing = ::opendir(folder_.c_str());
    if (listing == nullptr) return std::nullopt;
    std::vector<std::string> names;
    const std::string prefix = ClaimPrefix(numeroFile);
    while (dirent* entry = ::readdir(listing)) {
      std::string name = entry->d_name;
      if (name.rfind(prefix, 0) == 0 && name.size() > prefix.size() + sizeof kClaimEnd &&
          name.compare(name.size() - (sizeof kClaimEnd - 1), std::string::npos, kClaimEnd) == 0) {
        names.push_back(std::move(name));
      }
    }
    ::closedir(listing);
    for (const std::string& name : names) {
      const std::string path = JoinPath(folder_, name);
      FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
      if (fd.get() < 0) continue;
      if (std::optional<Claim> claim = Rename(std::move(fd), path, numeroFile)) return claim;
    }
    return std::nullopt;
  }

  // Claims <N>.txt; nothing when there is none or another download has it.
  std::optional<Claim> ClaimTerminalFile(const std::string& source, int16_t numeroFile) {
    // A few rounds: each lost one means another download took a file.
    for (int round = 0; round < 8; ++round) {
      // Only a file is a terminal's file: a folder would be moved as if
      // received, and a pipe would hold the copy for ever.
      struct stat info {};
      if (::stat(source.c_str(), &info) != 0) {
        int error = errno;
        if (error == ENOENT && !Exists(source)) return std::nullopt;
        if (error != ENOENT) RaiseSystemError(error, source);
      }
      if (!S_ISREG(info.st_mode)) RaiseError(kPathFileAccessError, source);
      FileDescriptor fd(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
      if (fd.get() < 0) {
        if (errno == ENOENT) continue;
        RaiseSystemError(errno, source);
      }
      if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        RaiseError(kPathFileAccessError, source);
      }
      if (std::optional<Claim> claim = Rename(std::move(fd), source, numeroFile)) return claim;
    }
    return std::nullopt;
  }

  static constexpr char kClaimEnd[] = ".preso";
  std::string folder_;
  unsigned claims_ = 0;
};

}  // namespace

std::unique_ptr<TerminalLink> MakeDirectoryTerminalLink(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return std::make_unique<DirectoryTerminalLink>(std::move(folder));
}

}  // namespace viruzedi
