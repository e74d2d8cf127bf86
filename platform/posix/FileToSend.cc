#include "platform/FileToSend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Errors.h"
#include "platform/FileSystem.h"

namespace viruzedi {

YmodemFileInfo ReadFileToSend(const std::string& path, std::string& contents) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) RaiseError(kPermissionDenied, path);
    RaiseError(kFileNotFound, path);
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    RaiseError(kFileNotFound, path);
  }
  contents.clear();
  char buffer[65536];
  while (true) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      RaiseError(kDeviceIoError, path);
    }
    if (got == 0) break;
    contents.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  YmodemFileInfo info;
  info.name = BaseName(path);
  info.modificationTime = static_cast<int64_t>(status.st_mtime);
  return info;
}

}  // namespace viruzedi
