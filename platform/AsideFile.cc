#include "platform/AsideFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "component/AutomationError.h"

namespace viruzedi {
namespace {

constexpr int32_t kDiskFull = 61;

[[noreturn]] void RaiseSystemError(int error, const std::string& path) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: RaiseError(kPathNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: RaiseError(kPermissionDenied, path);
    case ENOSPC:
    case EDQUOT: throw AutomationError(kDiskFull, "Disco pieno: " + path);
    default: RaiseError(kDeviceIoError, path);
  }
}

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Two transfers of one process into the same folder never share a name.
std::atomic<unsigned> asideCounter{0};

}  // namespace

AsideFile::AsideFile(std::string destination) : destination_(std::move(destination)) {
  aside_ = FolderOf(destination_) + "/." + BaseNameOf(destination_) + "." +
           std::to_string(::getpid()) + "-" + std::to_string(asideCounter++) + ".parziale";
  fd_ = ::open(aside_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) RaiseSystemError(errno, destination_);
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

void AsideFile::Commit() {
  if (::fsync(fd_) != 0) RaiseSystemError(errno, destination_);
  int fd = fd_;
  fd_ = -1;
  // The last write error of some file systems shows only here.
  if (::close(fd) != 0) RaiseSystemError(errno, destination_);
  if (::rename(aside_.c_str(), destination_.c_str()) != 0) {
    RaiseSystemError(errno, destination_);
  }
  committed_ = true;
  int folder = ::open(FolderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);  // the new name durable too, where the file system allows
    ::close(folder);
  }
}

}  // namespace viruzedi
