// Received files that wait: a temporary name of a download (prefix...".tmp")
// in the download folder that no live process holds locked and that holds
// something. Its import failed or was stopped, or a crash ended it after its
// commit: then the import ledger holds its entry, and the next download of
// its kind archives it (SettleWaitingFiles) before anything else. What a
// download killed before its file arrived leaves (its empty reservation,
// the partial file its link was writing aside) holds no read: the terminal
// still has them, and the next download removes it.
#pragma once

#include <string>
#include <vector>

#include "viruzedi/ImportFormat.h"
#include "database/Database.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

struct FileDownload;

struct WaitingFile {
  std::string path;
  // The formats it may be imported as: one, or both of the two downloads
  // that share the Rimesse_OF_ prefix.
  std::vector<ImportFormat> formats;
};

// The waiting files of the download folder, sorted by name; none when the
// folder is missing. Never throws for a file that goes away meanwhile.
std::vector<WaitingFile> WaitingFiles(Platform& platform);

// Removes from the download folder the empty reservations and the partial
// transfers (the link's aside files of a temporary name) that no live
// download holds: a killed download's, whose file is still in the terminal.
// A name that goes away meanwhile or may not be removed is left; never
// throws for one.
void RemoveAbandonedTransfers(Platform& platform);

// A waiting file whose rows were stored already, now archived.
struct SettledFile {
  std::string path;
  std::string importedOn;  // the time of its ledger entry
  std::string archivedAs;
};

// Archives, as its import would, each waiting file of `download`'s kind
// whose entry the ledger of `database` holds (its rows were committed by an
// import that a crash ended before the archive). A file another process
// holds is left alone. Without a ledger (the user's rights refused to make
// one), nothing. The engine's and the file system's errors.
std::vector<SettledFile> SettleWaitingFiles(const FileDownload& download, Platform& platform,
                                            Database& database);

// Shows, in one warning box (caption "Attenzione!", style 0), the files
// `settled` (archived, their rows stored already) and the waiting files
// `download` could import, with the formats they may take; nothing when
// there are none.
void ShowWaitingFiles(const FileDownload& download, Platform& platform,
                      const std::vector<SettledFile>& settled);

}  // namespace viruzedi
