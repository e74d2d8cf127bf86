// The file download pipeline shared by Scarica3, Scarica4, Scarica5 and
// Scarica_RimesseOF: check the target database, reserve a temporary name in
// the download folder, let the download form receive the terminal's file
// onto it and, when it arrived, import it all or nothing, then archive it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/Errors.h"
#include "database/DatabaseSettings.h"
#include "operation/Operation.h"
#include "viruzedi/ImportFormat.h"
#include "viruzedi/Platform.h"
#include "terminal/FileNames.h"
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
  const char* table;     // where the grammar's rows go
  std::span<const char* const> columns;  // the columns they name
  ImportFormat format;
};

// The formats of the four downloads, whose files are received.
inline constexpr ImportFormat kReceivedFormats[] = {
    ImportFormat::kScarica3, ImportFormat::kScarica4, ImportFormat::kScarica5,
    ImportFormat::kScaricaRimesseOF};

// The download whose import `format` repeats; 5 for a format that is no
// received file's.
const FileDownload& DownloadOf(ImportFormat format);

// How one download ended, for the operation's outcome.
// Runs the pipeline for one download. Before the transfer, once a link is
// configured: the database, its table and columns are checked (a failure
// leaves the terminal's file with the terminal), the waiting files of this
// kind whose rows the ledger holds already are archived, and one box names
// those and the files of this kind that still wait. A received file is
// imported all or nothing; on any failure or stop request no row of it is
// stored and it keeps its temporary name (it waits). What it did goes into
// `operation`'s outcome: a transfer the form failed (shown by the form), a
// link missing (its notice shown instead of a transfer). Any other failure
// is thrown, for the boundary's general box. Nothing received leaves no file
// behind.
void RunFileDownload(const FileDownload& download, Operation& operation);

}  // namespace viruzedi
