#include "terminal/UnconfirmedFiles.h"

#include <memory>

#include "base/Errors.h"
#include "operation/FileLedger.h"
#include "platform/FileSystem.h"
#include "platform/TerminalLink.h"
#include "terminal/FileNames.h"

namespace viruzedi {

bool SettleUnconfirmedFiles(const FileDownload& download, Platform& platform, Database& database,
                            const std::string& folder, const std::string& received) {
  FileSystem& files = platform.Files();
  const std::string mark = kMarcaDaConfermare;
  std::string fingerprint;  // of the file just received, taken when first needed
  bool sentAgain = false;
  for (const std::string& name : SortedNamesIn(files, folder)) {
    if (!name.ends_with(mark)) continue;
    const std::string earlier = name.substr(0, name.size() - mark.size());
    if (earlier == received || !IsTemporaryName(download, earlier)) continue;
    // A file held is a download's still receiving it, or an import's by
    // hand: theirs, marker and all.
    const std::string path = JoinPath(folder, earlier);
    std::unique_ptr<FileLock> lock;
    if (files.FileExists(path) && !(lock = files.TryLock(path))) continue;
    if (!received.empty()) {
      if (fingerprint.empty()) {
        fingerprint = files.OpenTextFile(JoinPath(folder, received))->BytesFingerprint();
      }
      if (lock) {
        if (files.OpenTextFile(path)->BytesFingerprint() == fingerprint) files.DeleteFile(path, true);
      } else if (FileLedger(database, platform, folder, earlier).Holds(fingerprint)) {
        sentAgain = true;
      }
    }
    try {
      files.DeleteFile(JoinPath(folder, name), true);
    } catch (const AutomationError& failure) {
      if (failure.number != kFileNotFound) throw;  // another download settled it
    }
  }
  return sentAgain;
}

}  // namespace viruzedi
