#include "terminal/WaitingFiles.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "component/FileLedger.h"
#include "component/Messages.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"
#include "terminal/FileNames.h"

namespace viruzedi {
namespace {

constexpr ImportFormat kReceivedFormats[] = {ImportFormat::kScarica3, ImportFormat::kScarica4,
                                             ImportFormat::kScarica5,
                                             ImportFormat::kScaricaRimesseOF};

constexpr char kInAttesa[] =
    "Nella cartella di scarico ci sono file ricevuti dal terminale e non importati "
    "(nessuna loro riga è stata salvata):";
constexpr char kGiaImportati[] =
    "Nella cartella di scarico c'erano file ricevuti dal terminale le cui righe erano già "
    "state salvate; ora sono archiviati:";
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
  std::vector<WaitingFile> waiting;
  for (const std::string& name : SortedNamesIn(files, folder)) {
    WaitingFile file{JoinPath(folder, name), {}};
    for (ImportFormat format : kReceivedFormats) {
      if (IsTemporaryName(DownloadOf(format), name)) file.formats.push_back(format);
    }
    if (!file.formats.empty() && HeldByNobody(files, file.path)) waiting.push_back(std::move(file));
  }
  return waiting;
}

std::vector<SettledFile> SettleWaitingFiles(const FileDownload& download, Platform& platform,
                                            Database& database) {
  FileSystem& files = platform.Files();
  std::vector<SettledFile> settled;
  for (const WaitingFile& file : WaitingFiles(platform)) {
    if (std::find(file.formats.begin(), file.formats.end(), download.format) == file.formats.end())
      continue;
    // Held while it is looked up and archived: another download or an
    // importer that has it decides for it.
    std::unique_ptr<FileLock> lock = files.TryLock(file.path);
    if (!lock || !files.FileExists(file.path)) continue;
    FileLedger ledger(database, platform, ParentFolder(file.path), BaseName(file.path));
    if (!ledger.available()) break;
    if (std::optional<std::string> importedOn = ledger.ImportedOn()) {
      settled.push_back({file.path, *importedOn,
                         ArchiveReceivedFile(download, files, ParentFolder(file.path),
                                             BaseName(file.path), platform.LocalNow())});
    }
  }
  return settled;
}

void ShowWaitingFiles(const FileDownload& download, Platform& platform,
                      const std::vector<SettledFile>& settled) {
  std::string done;
  for (const SettledFile& file : settled) {
    done += " " + file.path + " (già importato il " + file.importedOn + ", ora " +
            BaseName(file.archivedAs) + ");";
  }
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
  if (done.empty() && text.empty()) return;
  std::string message;
  if (!done.empty()) {
    done.back() = '.';
    message = kGiaImportati + done;
  }
  if (!text.empty()) {
    text.back() = '.';
    message += (message.empty() ? "" : " ") + (kInAttesa + text) + " " + kComeImportarli;
  }
  platform.MessageBox(message, kOkOnly, kTitoloAttenzione);
}

}  // namespace viruzedi
