#include "platform/SystemError.h"

#include <cerrno>

#include "component/AutomationError.h"

namespace viruzedi {

void RaiseSystemError(int error, const std::string& path) {
  switch (error) {
    case ENOENT: RaiseError(kFileNotFound, path);
    case ENOTDIR: RaiseError(kPathNotFound, path);
    case EEXIST:
    case ENOTEMPTY: RaiseError(kFileAlreadyExists, path);
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY: RaiseError(kPermissionDenied, path);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: RaiseError(kDiskFull, path);
    case EIO: RaiseError(kDeviceIoError, path);
    default: RaiseError(kPathFileAccessError, path);
  }
}

std::string ParentFolder(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace viruzedi
