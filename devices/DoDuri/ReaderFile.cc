#include "devices/DoDuri/ReaderFile.h"

#include "base/Errors.h"
#include "platform/AsideFile.h"

namespace viruzedi::doduri {

namespace {

std::string Content(const std::vector<std::string>& lines, const std::string& lineEnd) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + lineEnd;
  return bytes;
}

// The old file's bytes go aside first; a last line left without its end
// gets one, so that it does not run into the first new line.
void CopyOldContent(AsideFile& file, const std::string& path, const std::string& lineEnd) {
  char last = '\n';
  if (file.CopyFromFile(path, last) && last != '\r' && last != '\n') file.Write(lineEnd);
}

// Moves an existing file out of the way under a name not yet taken.
void SetAside(const std::string& path, const std::string& stamp) {
  if (!NameTaken(path)) return;
  const std::string base = path + "." + stamp;
  for (int attempt = 1;; ++attempt) {
    std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (RenameWithoutReplacing(path, target)) return;
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
  try {
    if (mode == kRinomina) {
      SetAside(path, stamp);
    } else {
      RemoveFileIfPresent(path);
    }
  } catch (const AutomationError& error) {
    throw FileError(error.description);
  }
}

}  // namespace viruzedi::doduri
