#include "readerprog/ReaderFileImport.h"

#include "base/Conversions.h"
#include "base/Text.h"
#include "operation/ErrorReport.h"
#include "operation/FileStamps.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "readerprog/ReaderProgramTexts.h"
#include "readerprog/StagedRows.h"

namespace viruzedi {

namespace {

constexpr const char kTable[] = "viruzedi";
constexpr const char kSource[] = "Select * from viruzedi";

// A reader file read and checked whole: its rows, the lines its format set
// aside, the fingerprint of its bytes.
struct ReadFile {
  StagedRows rows;
  std::vector<std::string> setAside;
  std::string fingerprint;
};

// Reads every line that is not blank; with `warn`, a line set aside shows
// the bad-code warning, naming the line and the reason.
ReadFile ReadLines(Platform& platform, const std::string& path, const ReaderFileFormat& format,
                   bool warn) {
  ReadFile read;
  std::unique_ptr<TextStream> file = platform.Files().OpenTextFile(path);
  for (uint64_t number = 1; !file->AtEndOfStream(); ++number) {
    StopIfRequested(platform);
    const std::string line = file->ReadLine();
    if (IsBlankLine(line)) continue;
    std::string detail = LineDetail(path, number, line);
    try {
      read.rows.FromLine(detail);
      const std::string refusal = format.appendLine(platform, read.rows, line);
      if (refusal.empty()) continue;
      if (warn) {
        platform.MessageBox(kAvvisoCodiceErrato + (" " + detail) + kMotivo + refusal, kCritical,
                            kTitoloAttenzione);
      }
      read.setAside.push_back(line);
    } catch (AutomationError& failure) {
      BlameLine(failure, std::move(detail));
      throw;
    }
  }
  read.fingerprint = file->BytesFingerprint();
  file->Close();
  return read;
}

bool HoldsLine(FileSystem& files, const std::string& path, const std::string& wanted) {
  if (!files.FileExists(path)) return false;
  std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
  while (!stream->AtEndOfStream()) {
    if (stream->ReadLine() == wanted) return true;
  }
  return false;
}

// Appends the lines that `read` set aside, as read, to the format's file
// in the download folder, in one block headed by the waiting name and the
// fingerprint of the file at `path`; a block that is there already is left
// as it is, so a file settled after a crash never has its lines twice.
SetAsideLines KeepSetAside(Platform& platform, const std::string& path,
                           const ReaderFileFormat& format, const ReadFile& read) {
  SetAsideLines kept;
  if (read.setAside.empty() || format.setAsideFile == nullptr) return kept;
  FileSystem& files = platform.Files();
  const std::string folder = platform.DownloadFolder();
  kept.file = JoinPath(folder, format.setAsideFile);
  kept.count = read.setAside.size();
  const std::string heading = "# " + BaseName(path) + " " + read.fingerprint;
  if (HoldsLine(files, kept.file, heading)) return kept;
  std::string block = heading + "\r\n";
  for (const std::string& line : read.setAside) block += Utf8ToWindows1252(line) + "\r\n";
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
  const ReadFile read = ReadLines(platform, path, format, true);
  if (read.rows.size() > 0) {
    // Every value is converted once before the transaction, so a bad one
    // fails with nothing written and the write lock is held for writes only.
    std::unique_ptr<Recordset> checked = target.OpenRecordset(kSource, kDbAppendOnly);
    read.rows.Check(*checked);
    checked->Close();

    std::unique_ptr<Recordset> records = target.OpenRecordset(kSource, kDbAppendOnly);
    const uint64_t refusedBefore = target.RowsRefused();
    Transaction transaction(target);
    target.ExpectRows(read.rows.size());
    read.rows.Write(*records);
    ledger.Record(read.fingerprint, read.rows.size() - (target.RowsRefused() - refusedBefore));
    ledger.Commit(transaction, read.fingerprint);
    records->Close();
    target.MakeDurable();
  }
  // After the commit: lines kept before it would be kept again by the
  // import that a failed commit leaves to do.
  return KeepSetAside(platform, path, format, read);
}

SetAsideLines KeepSetAsideOfStored(Platform& platform, const std::string& path,
                                   const ReaderFileFormat& format) {
  if (format.setAsideFile == nullptr) return {};
  return KeepSetAside(platform, path, format, ReadLines(platform, path, format, false));
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
