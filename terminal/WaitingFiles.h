// Received files that wait: a temporary name of a download (prefix...".tmp")
// in the download folder that no live process holds locked. Its import
// failed or was stopped; no row of it is stored.
#pragma once

#include <string>
#include <vector>

#include "component/Viruzedi.h"
#include "platform/Platform.h"

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

// Shows, in one warning box (caption "Attenzione!", style 0), the waiting
// files `download` could import, with the formats they may take; nothing
// when there are none.
void ShowWaitingFiles(const FileDownload& download, Platform& platform);

}  // namespace viruzedi
