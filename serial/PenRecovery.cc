#include "serial/PenRecovery.h"

#include <memory>

#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "serial/Texts.h"

namespace viruzedi {

std::string SalvaNonSalvate(Platform& platform, const std::string& received) noexcept {
  try {
    try {
      FileSystem& files = platform.Files();
      std::string folder = platform.DownloadFolder();
      if (!files.FolderExists(folder)) files.CreateFolder(folder);
      std::string path = JoinPath(folder, kFileNonSalvate);
      files.AppendToFile(path, received + "\r\n");
      return kSalvataNelFile + path + ".";
    } catch (...) {
      // The person at the workstation is then the read's only keeper.
      return kNonSalvata + std::string("\"") + Windows1252ToUtf8(received) + "\".";
    }
  } catch (...) {
    // Not even the message could be made (out of memory): the failure
    // itself is still reported.
    return {};
  }
}

std::string KeyedLine(const std::string& read, const std::string& key) {
  return read + "\t" + key;
}

std::pair<std::string, std::string> SplitKeyedLine(const std::string& line) {
  const size_t tab = line.rfind('\t');
  if (tab == std::string::npos || line.size() - tab - 1 != 32) return {line, ""};
  const std::string key = line.substr(tab + 1);
  if (key.find_first_not_of("0123456789abcdef") != std::string::npos) return {line, ""};
  return {line.substr(0, tab), key};
}

void RemoveStoredKeyedLines(Platform& platform,
                            const std::function<bool(const std::string& key)>& stored) {
  FileSystem& files = platform.Files();
  const std::string path = JoinPath(platform.DownloadFolder(), kFileNonSalvate);
  if (!files.FileExists(path)) return;
  std::unique_ptr<FileLock> lock = files.TryLock(path);
  if (!lock) return;  // an import or another download has it
  std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
  std::string kept;
  bool removed = false;
  while (!stream->AtEndOfStream()) {
    std::string line = stream->ReadLine();
    const std::string key = SplitKeyedLine(line).second;
    if (!key.empty() && stored(key)) {
      removed = true;
      continue;
    }
    kept += line + "\r\n";
  }
  stream->Close();
  // Whole or not at all: a half-written file would lose the reads after.
  if (removed) files.WriteTextFile(path, kept);
}

}  // namespace viruzedi
