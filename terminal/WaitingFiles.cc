#include "terminal/WaitingFiles.h"

#include <algorithm>

#include "component/Messages.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"

namespace viruzedi {
namespace {

constexpr ImportFormat kReceivedFormats[] = {ImportFormat::kScarica3, ImportFormat::kScarica4,
                                             ImportFormat::kScarica5,
                                             ImportFormat::kScaricaRimesseOF};

constexpr char kInAttesa[] =
    "Nella cartella di scarico ci sono file ricevuti dal terminale e non importati "
    "(nessuna loro riga è stata salvata):";
constexpr char kComeImportarli[] =
    "Rimossa la causa dell'errore, importarli con: viruzedi importa FILE --formato FORMATO --db DB.";

// A download holds its file locked from reservation to archive; a lock
// that can be taken belongs to nobody alive.
bool HeldByNobody(FileSystem& files, const std::string& path) {
  try {
    return files.FileExists(path) && files.TryLock(path) != nullptr;
  } catch (const AutomationError&) {
    return false;  // gone meanwhile, or not ours to read
  }
}

}  // namespace

std::vector<WaitingFile> WaitingFiles(Platform& platform) {
  FileSystem& files = platform.Files();
  const std::string folder = platform.DownloadFolder();
  std::vector<std::string> names;
  try {
    names = files.ListFolder(folder);
  } catch (const AutomationError&) {
    return {};
  }
  std::sort(names.begin(), names.end());
  std::vector<WaitingFile> waiting;
  for (const std::string& name : names) {
    WaitingFile file{JoinPath(folder, name), {}};
    for (ImportFormat format : kReceivedFormats) {
      if (IsTemporaryName(DownloadOf(format), name)) file.formats.push_back(format);
    }
    if (!file.formats.empty() && HeldByNobody(files, file.path)) waiting.push_back(std::move(file));
  }
  return waiting;
}

void ShowWaitingFiles(const FileDownload& download, Platform& platform) {
  std::string text;
  for (const WaitingFile& file : WaitingFiles(platform)) {
    if (std::find(file.formats.begin(), file.formats.end(), download.format) == file.formats.end())
      continue;
    text += " " + file.path + " (formato ";
    for (size_t i = 0; i < file.formats.size(); ++i) {
      text += (i == 0 ? "" : " o ") + std::string(ImportFormatName(file.formats[i]));
    }
    text += ");";
  }
  if (text.empty()) return;
  text.back() = '.';
  platform.MessageBox(kInAttesa + text + " " + kComeImportarli, kOkOnly, kTitoloAttenzione);
}

}  // namespace viruzedi
