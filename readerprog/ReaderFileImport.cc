#include "readerprog/ReaderFileImport.h"

#include "base/Conversions.h"
#include "base/Text.h"
#include "operation/ErrorReport.h"
#include "operation/FileStamps.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "readerprog/ReaderProgramTexts.h"
#include "readerprog/ReaderRows.h"

namespace viruzedi {

namespace {

constexpr const char kTable[] = "viruzedi";

bool HoldsLine(FileSystem& files, const std::string& path, const std::string& wanted) {
  if (!files.FileExists(path)) return false;
  std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
  while (!stream->AtEndOfStream()) {
    if (stream->ReadLine() == wanted) return true;
  }
  return false;
}

// Appends the lines set aside, as read, to the format's file in the
// download folder, in one block headed by the waiting name and the
// fingerprint of the file at `path`; a block that is there already is left
// as it is, so a file settled after a crash never has its lines twice.
SetAsideLines KeepSetAside(Platform& platform, const std::string& path,
                           const ReaderFileFormat& format, const std::vector<std::string>& setAside,
                           const std::string& fingerprint) {
  SetAsideLines kept;
  if (setAside.empty() || format.setAsideFile == nullptr) return kept;
  FileSystem& files = platform.Files();
  const std::string folder = platform.DownloadFolder();
  kept.file = JoinPath(folder, format.setAsideFile);
  kept.count = setAside.size();
  const std::string heading = "# " + BaseName(path) + " " + fingerprint;
  if (HoldsLine(files, kept.file, heading)) return kept;
  std::string block = heading + "\r\n";
  for (const std::string& line : setAside) block += Utf8ToWindows1252(line) + "\r\n";
  if (!files.FolderExists(folder)) files.CreateFolder(folder);
  files.AppendToFile(kept.file, block);
  return kept;
}

}  // namespace

std::unique_ptr<Database> OpenReaderTarget(const std::string& database,
                                           DatabaseSettings& settings,
                                           const ReaderFileFormat& format) {
  std::unique_ptr<Database> target = DBEngine::Instance().OpenDatabase(database, settings);
  target->CheckWritable(kTable, format.columns);
  return target;
}

SetAsideLines ImportReaderLines(Platform& platform, Database& target, const std::string& path,
                                const ReaderFileFormat& format, FileLedger& ledger) {
  // Every line is read and every value converted before the transaction,
  // so a bad one fails with nothing written and the write lock is held for
  // writes only. The rows are then made again from the file rather than
  // kept: memory stays flat however long the file.
  ReaderRows rows(platform, path, format, true);
  const uint64_t count = target.CheckRows(rows);
  const std::string fingerprint = rows.fingerprint();
  if (count > 0) {
    const uint64_t refusedBefore = target.RowsRefused();
    Transaction transaction(target);
    target.ExpectRows(count);
    target.InsertRows(rows);
    ledger.Record(fingerprint, count - (target.RowsRefused() - refusedBefore));
    ledger.Commit(transaction, fingerprint);
    target.MakeDurable();
  }
  // After the commit: lines kept before it would be kept again by the
  // import that a failed commit leaves to do.
  return KeepSetAside(platform, path, format, rows.setAside, fingerprint);
}

SetAsideLines KeepSetAsideOfStored(Platform& platform, const std::string& path,
                                   const ReaderFileFormat& format) {
  if (format.setAsideFile == nullptr) return {};
  ReaderRows rows(platform, path, format, false);
  Row row;
  rows.Rewind();
  while (rows.Next(row)) {
  }
  return KeepSetAside(platform, path, format, rows.setAside, rows.fingerprint());
}

void SettleReaderFiles(Platform& platform, Database& target, const std::string& readerFile,
                       const ReaderFileFormat& format) {
  FileSystem& files = platform.Files();
  // A run cut before its file had a name of its own left that file plain:
  // it takes its name now, so this run's program neither replaces it nor
  // appends to it, and it is settled below like any other.
  if (LeftByACutRun(files, readerFile)) {
    std::unique_ptr<FileLock> lock = files.TryLock(readerFile);
    if (lock) DaiNomeInAttesa(files, readerFile, platform.LocalNow());
  }
  if (!files.FileExists(readerFile)) RemoveMarkerOfRun(files, readerFile);
  const std::string folder = ParentFolder(readerFile);
  const std::string waitingPrefix = BaseName(readerFile) + kMarcaInImportazione;
  for (const std::string& name : SortedNamesIn(files, folder)) {
    if (name.compare(0, waitingPrefix.size(), waitingPrefix) != 0) continue;
    const std::string path = JoinPath(folder, name);
    std::unique_ptr<FileLock> lock = files.TryLock(path);
    if (!lock || !files.FileExists(path)) continue;
    FileLedger ledger(target, platform, folder, name);
    if (!ledger.available()) return;
    if (ledger.ImportedOn()) {
      KeepSetAsideOfStored(platform, path, format);
      RinominaImportato(files, path, platform.LocalNow());
    }
  }
}

AutomationError NamingReaderFile(const AutomationError& failure, const std::string& path,
                                 const std::string& versionBefore,
                                 const std::string& versionAfter) {
  const char* state = versionAfter.empty()             ? kFileLettureAssente
                      : versionAfter != versionBefore ? kFileLettureNonImportato
                                                       : kFileLettureInvariato;
  AutomationError named(failure.number, WithSentence(failure.description, state + path));
  named.detail = failure.detail;
  return named;
}

}  // namespace viruzedi
