#include "readerprog/ReaderFileImport.h"

#include "base/Conversions.h"
#include "base/Text.h"
#include "component/ErrorReport.h"
#include "component/FileStamps.h"
#include "platform/FileSystem.h"
#include "readerprog/ReaderProgramTexts.h"
#include "readerprog/StagedRows.h"

namespace viruzedi {

namespace {

constexpr const char kTable[] = "viruzedi";
constexpr const char kSource[] = "Select * from viruzedi";

}  // namespace

std::unique_ptr<Database> OpenReaderTarget(const std::string& database,
                                           DatabaseSettings& settings,
                                           const ReaderFileFormat& format) {
  std::unique_ptr<Database> target = DBEngine::Instance().OpenDatabase(database, settings);
  target->CheckWritable(kTable, format.columns);
  return target;
}

void ImportReaderLines(Platform& platform, Database& target, const std::string& path,
                       const ReaderFileFormat& format, FileLedger& ledger) {
  StagedRows rows;
  std::string fingerprint;
  {
    std::unique_ptr<TextStream> file = platform.Files().OpenTextFile(path);
    for (uint64_t number = 1; !file->AtEndOfStream(); ++number) {
      StopIfRequested(platform);
      const std::string line = file->ReadLine();
      if (IsBlankLine(line)) continue;
      std::string detail = LineDetail(path, number, line);
      try {
        rows.FromLine(detail);
        format.appendLine(platform, rows, SplitFields(line));
      } catch (AutomationError& failure) {
        BlameLine(failure, std::move(detail));
        throw;
      }
    }
    fingerprint = file->BytesFingerprint();
    file->Close();
  }
  if (rows.size() == 0) return;

  // Every value is converted once before the transaction, so a bad one
  // fails with nothing written and the write lock is held for writes only.
  std::unique_ptr<Recordset> checked = target.OpenRecordset(kSource, kDbAppendOnly);
  rows.Check(*checked);
  checked->Close();

  std::unique_ptr<Recordset> records = target.OpenRecordset(kSource, kDbAppendOnly);
  const uint64_t refusedBefore = target.RowsRefused();
  Transaction transaction(target);
  target.ExpectRows(rows.size());
  rows.Write(*records);
  ledger.Record(fingerprint, rows.size() - (target.RowsRefused() - refusedBefore));
  ledger.Commit(transaction, fingerprint);
  records->Close();
  target.MakeDurable();
}

void SettleReaderFiles(Platform& platform, Database& target, const std::string& readerFile) {
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
    if (ledger.ImportedOn()) RinominaImportato(files, path, platform.LocalNow());
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
