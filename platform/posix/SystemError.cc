#include "platform/posix/SystemError.h"

#include <cerrno>

#include "base/Errors.h"

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

}  // namespace viruzedi
