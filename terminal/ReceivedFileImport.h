// The import of one received file, shared by the downloads and by
// ImportaFile: all of its rows or none.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "operation/FileLedger.h"
#include "database/Database.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

struct FileDownload;

// Opens the target database and checks, writing nothing, that the table and
// every column the download writes are there: the engine's errors (3024,
// 3045, 3051, 3343, 3078, 3127).
std::unique_ptr<Database> OpenTargetDatabase(const FileDownload& download,
                                             const std::string& dbPath,
                                             DatabaseSettings& settings);

// Imports folder/name, which the caller holds locked, into `database`:
// every line is read and turned into its row first (a rejected line
// shows the bad-code warning; blank lines and lines of spaces are skipped),
// then the rows and the file's ledger entry are written in one
// transaction, made durable, the database closed and the file archived
// (ArchiveReceivedFile). A file whose entry exists (its rows were
// committed by an import that a crash ended before the archive) is
// archived without writing anything: `importedOn` says when. Throws the
// failure of a line (its `detail` "FILE, riga N: LINE"), of the engine, or
// 18 for a stop request between lines; then no row of the file is stored
// and it keeps its name.
FileImportResult ImportReceivedFile(const FileDownload& download, Platform& platform,
                                    Database& database, const std::string& folder,
                                    const std::string& name, int16_t idUt);

}  // namespace viruzedi
