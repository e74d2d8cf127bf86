#include "terminal/WaitingFiles.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "operation/FileLedger.h"
#include "operation/FileStamps.h"
#include "operation/Messages.h"
#include "platform/AsideFile.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"
#include "terminal/FileNames.h"

namespace viruzedi {
namespace {

constexpr char kInAttesa[] =
    "Nella cartella di scarico ci sono file ricevuti dal terminale e non importati "
    "(nessuna loro riga è stata salvata):";
constexpr char kGiaImportati[] =
    "Nella cartella di scarico c'erano file ricevuti dal terminale le cui righe erano già "
    "state salvate; ora sono archiviati:";
constexpr char kComeImportarli[] =
    "Rimossa la causa dell'errore, importarli con: viruzedi importa FILE --formato FORMATO --db DB.";

// The downloads that receive their file under the temporary name `name`.
std::vector<ImportFormat> ReceivedUnder(const std::string& name) {
  std::vector<ImportFormat> formats;
  for (ImportFormat format : kReceivedFormats) {
    if (IsTemporaryName(DownloadOf(format), name)) formats.push_back(format);
  }
  return formats;
}

// A download holds its reservation locked from before its transfer until
// the received file is locked for its import: while it lives, whatever it
// writes aside for that name is its own.
bool HeldByALiveDownload(FileSystem& files, const std::string& reservation) {
  return files.FileExists(reservation) && files.TryLock(reservation) == nullptr;
}

// Removes the reservation at `path` when nobody holds it and nothing was
// received onto it, under its lock, so that no download can take the name
// in between.
void RemoveIfAbandoned(FileSystem& files, const std::string& path) {
  std::unique_ptr<FileLock> lock = files.TryLock(path);
  if (lock && files.OpenTextFile(path)->AtEndOfStream()) files.DeleteFile(path, true);
}

}  // namespace

std::vector<WaitingFile> WaitingFiles(Platform& platform) {
  FileSystem& files = platform.Files();
  const std::string folder = platform.DownloadFolder();
  std::vector<WaitingFile> waiting;
  for (const std::string& name : SortedNamesIn(files, folder)) {
    WaitingFile file{JoinPath(folder, name), ReceivedUnder(name)};
    if (!file.formats.empty() && WaitsToBeImported(files, file.path)) {
      waiting.push_back(std::move(file));
    }
  }
  return waiting;
}

void RemoveAbandonedTransfers(Platform& platform) {
  FileSystem& files = platform.Files();
  const std::string folder = platform.DownloadFolder();
  for (const std::string& name : SortedNamesIn(files, folder)) {
    const std::string path = JoinPath(folder, name);
    const std::string destination = AsideFileDestination(name);
    try {
      if (!destination.empty() && !ReceivedUnder(destination).empty()) {
        if (!HeldByALiveDownload(files, JoinPath(folder, destination))) {
          files.DeleteFile(path, true);
        }
      } else if (!ReceivedUnder(name).empty()) {
        RemoveIfAbandoned(files, path);
      }
    } catch (const AutomationError&) {
      // Gone meanwhile, or not ours to remove: a reservation with nothing
      // in it is never listed, so it only waits for a download that can.
    }
  }
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
