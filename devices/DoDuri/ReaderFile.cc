#include "devices/DoDuri/ReaderFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/AutomationError.h"
#include "platform/AsideFile.h"

namespace viruzedi::doduri {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw FileError(path + ": " + std::strerror(error));
}

std::string Content(const std::vector<std::string>& lines, const std::string& lineEnd) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + lineEnd;
  return bytes;
}

// The old file's bytes go aside first; a last line left without its end
// gets one, so that it does not run into the first new line.
void CopyOldContent(AsideFile& file, const std::string& path, const std::string& lineEnd) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return;
    Fail(path, errno);
  }
  struct stat st {};
  char last = '\n';
  if (fstat(fd, &st) == 0 && st.st_size > 0 && pread(fd, &last, 1, st.st_size - 1) != 1) {
    last = '\n';
  }
  try {
    file.CopyFrom(fd, path);
  } catch (...) {
    close(fd);
    throw;
  }
  close(fd);
  if (last != '\r' && last != '\n') file.Write(lineEnd);
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

void Confirm(const StopCheck& stopped) {
  if (stopped && stopped()) throw Abandoned();
}

}  // namespace

void WriteReaderFile(const std::string& path, const std::vector<std::string>& lines,
                     FileMode mode, const std::string& lineEnd, const std::string& stamp,
                     const StopCheck& stopped) {
  try {
    AsideFile file(path);
    if (mode == kAccoda) CopyOldContent(file, path, lineEnd);
    file.Write(Content(lines, lineEnd));
    // The last moment at which a stop leaves every name as it was.
    Confirm(stopped);
    if (mode == kRinomina) SetAside(path, stamp);
    file.Commit();
  } catch (const AutomationError& error) {
    throw FileError(error.description);
  }
}

void ForgetReaderFile(const std::string& path, FileMode mode, const std::string& stamp,
                      const StopCheck& stopped) {
  if (mode == kAccoda) return;
  Confirm(stopped);
  if (mode == kRinomina) {
    SetAside(path, stamp);
  } else if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    Fail(path, errno);
  }
}

}  // namespace viruzedi::doduri
