#include "serial/PenRecovery.h"

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

}  // namespace viruzedi
