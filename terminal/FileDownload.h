// The file download pipeline shared by Scarica3, Scarica4, Scarica5 and
// Scarica_RimesseOF: name a temporary file in the download folder, let the
// download form receive the terminal's file under that name and, when it
// arrived, turn each line into one statement on the target database, then
// archive the file under its archive name in the same folder.
#pragma once

#include <cstdint>
#include <string>

#include "component/Variant.h"
#include "platform/Platform.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

enum class ArchiveRule {
  // "Importato_" + the temporary file name.
  kImportato,
  // prefix + the date and time read after the database is closed + ".TMP".
  kEndOfImport,
};

// What differs between the four downloads.
struct FileDownload {
  const char* prefix;    // of the temporary and archive names
  int16_t numeroFile;    // the terminal's file to fetch
  ArchiveRule archive;
  LineGrammar grammar;
};

// Runs the pipeline for one download. Always returns Empty. Failures are
// shown in the general error box: rows of earlier lines stay stored, the
// file keeps its temporary name. A file that did not arrive ends the call
// silently, with the database untouched.
Variant RunFileDownload(const FileDownload& download, Platform& platform,
                        const std::string& dbPath, int16_t idUt);

// The temporary name for a download started at `start`: prefix + yyyymmdd +
// "-" + hhnnss + ".tmp", taking the first second from `start` on whose names
// are all free in `folder` — the temporary name and, with kImportato, its
// archive name — so that a file an earlier download left behind is never
// deleted and an archive step never meets the archive of another download.
std::string FreeTemporaryName(const FileDownload& download, Platform& platform,
                              const std::string& folder, LocalDateTime start);

// `time` one second later, across minutes, hours, days, months and years.
LocalDateTime NextSecond(LocalDateTime time);

}  // namespace viruzedi
