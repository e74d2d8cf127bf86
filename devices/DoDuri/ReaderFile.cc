#include "devices/DoDuri/ReaderFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "component/AutomationError.h"
#include "platform/AsideFile.h"

namespace viruzedi::doduri {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw FileError(path + ": " + std::strerror(error));
}

void WriteAll(int fd, const std::string& bytes, const std::string& path) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      close(fd);
      Fail(path, error);
    }
    written += static_cast<size_t>(n);
  }
}

std::string Content(const std::vector<std::string>& lines, const std::string& lineEnd) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + lineEnd;
  return bytes;
}

// Writes a new file beside `path` and renames it over `path`.
void Replace(const std::string& path, const std::string& bytes) {
  try {
    AsideFile file(path);
    file.Write(bytes);
    file.Commit();
  } catch (const AutomationError& error) {
    throw FileError(error.description);
  }
}

void Append(const std::string& path, const std::string& bytes, const std::string& lineEnd) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) Fail(path, errno);
  std::string toWrite = bytes;
  struct stat st {};
  if (fstat(fd, &st) == 0 && st.st_size > 0) {
    char last = 0;
    if (pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\r' && last != '\n') {
      toWrite = lineEnd + toWrite;
    }
  }
  WriteAll(fd, toWrite, path);
  if (fsync(fd) != 0 || close(fd) != 0) Fail(path, errno);
}

// Moves an existing file out of the way under a name not yet taken.
void SetAside(const std::string& path, const std::string& stamp) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return;
  const std::string base = path + "." + stamp;
  for (int attempt = 1;; ++attempt) {
    std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      return;
    }
    if (errno != EEXIST) Fail(path, errno);
  }
}

}  // namespace

void WriteReaderFile(const std::string& path, const std::vector<std::string>& lines,
                     FileMode mode, const std::string& lineEnd, const std::string& stamp) {
  const std::string bytes = Content(lines, lineEnd);
  switch (mode) {
    case kAccoda:
      Append(path, bytes, lineEnd);
      return;
    case kRinomina:
      SetAside(path, stamp);
      Replace(path, bytes);
      return;
    case kSovrascrivi:
    case kAuto:
      Replace(path, bytes);
      return;
  }
}

void ForgetReaderFile(const std::string& path, FileMode mode) {
  if (mode != kSovrascrivi && mode != kAuto) return;
  if (unlink(path.c_str()) != 0 && errno != ENOENT) Fail(path, errno);
}

}  // namespace viruzedi::doduri
