// The import of a reader file, shared by the two reader program operations
// and by ImportaFile: every line read and checked first, then all the rows
// written in one transaction, or none.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "operation/FileLedger.h"
#include "database/Database.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// What one kind of reader file writes: the columns of table viruzedi its
// rows fill, and how a line becomes a row.
struct ReaderFileFormat {
  std::vector<std::string> columns;
  // Adds the line's row and returns ""; or adds none and returns why the
  // line is set aside. A failure it throws ends the import.
  std::function<std::string(Platform&, Recordset&, const std::string& line)> appendLine;
  // Whether a line is one of this kind, which appendLine turns into a row;
  // every line when empty.
  std::function<bool(const std::string& line)> isLine;
  // The file of the download folder that keeps the lines set aside; null
  // for a format that sets none aside.
  const char* setAsideFile = nullptr;
};

// What the import of a reader file set aside, and where it keeps it.
struct SetAsideLines {
  uint64_t count = 0;
  std::string file;  // "" when none was set aside
};

// Lines "article code;quantity[;lot id]" (Scarica2).
ReaderFileFormat PlainReaderFormat();
// Lines "GS1 element string;SSCC" (Scarica_ZidoriVovi).
ReaderFileFormat Gs1ReaderFormat();

// Opens `database` and checks that table viruzedi has the format's
// columns, writing nothing. The errors of OpenDatabase and CheckWritable
// (3024, 3045, 3051, 3343, 3078, 3127).
std::unique_ptr<Database> OpenReaderTarget(const std::string& database,
                                           DatabaseSettings& settings,
                                           const ReaderFileFormat& format);

// Imports every line of the reader file at `path` that is not blank into
// `target` (opened by OpenReaderTarget): all rows and the file's entry in
// `ledger` in one transaction, made durable, or none at all. A line the
// format sets aside shows the bad-code warning with the line and the
// reason; once the rows are stored, such lines are kept as KeepSetAside
// does. A stop request is looked at before each line (18). A line that
// fails carries "FILE, riga N: LINE" in `detail`. Errors: those of the
// file (53, 70, 14), of the line function (9, 5, 6, 13), of the record set
// (3421), of the writing (3045, 3043) and of the set-aside file (70, 76,
// 61; the rows are stored then, and a new import of the waiting file
// writes the lines).
SetAsideLines ImportReaderLines(Platform& platform, Database& target, const std::string& path,
                                const ReaderFileFormat& format, FileLedger& ledger);

// For a waiting file whose rows are stored already (its ledger entry
// exists) but that a crash kept from its archive: reads it again and keeps
// the lines its import set aside, when their block is missing. The errors
// of the file and of the set-aside file.
SetAsideLines KeepSetAsideOfStored(Platform& platform, const std::string& path,
                                   const ReaderFileFormat& format);

// Archives, as their import would, the waiting files of the reader file
// `readerFile` (its `.in-importazione-` names) whose entry the ledger of
// `target` holds: their rows were committed by an import that a crash
// ended before the archive; the lines the import set aside are kept first
// (KeepSetAsideOfStored). A file another process holds is left alone.
void SettleReaderFiles(Platform& platform, Database& target, const std::string& readerFile,
                       const ReaderFileFormat& format);

// `failure` with the reader file named in its description (the detail
// kept): as holding this run's reads, not imported, when its version
// (FileSystem::FileVersion) changed from `versionBefore` to `versionAfter`
// during the run; as holding none when it did not; as missing when there is
// none.
AutomationError NamingReaderFile(const AutomationError& failure, const std::string& path,
                                 const std::string& versionBefore,
                                 const std::string& versionAfter);

}  // namespace viruzedi
