// ImportaFile for a reader file (of either reader program import): the
// file an operator imports by hand once the cause of its failure is fixed.
#include <filesystem>

#include "component/Conversions.h"
#include "component/Database.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "readerprog/ReaderFileImport.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {

namespace {

// The same moment one second later, carried into the minutes, hours, days,
// months and years as the calendar does.
LocalDateTime NextSecond(LocalDateTime t) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (++t.second < 60) return t;
  t.second = 0;
  if (++t.minute < 60) return t;
  t.minute = 0;
  if (++t.hour < 24) return t;
  t.hour = 0;
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  const int days = t.month == 2 && leap ? 29 : kDays[(t.month - 1) % 12];
  if (++t.day <= days) return t;
  t.day = 1;
  if (++t.month <= 12) return t;
  t.month = 1;
  ++t.year;
  return t;
}

// Renames the imported file <name>.importato-<yyyymmdd-hhnnss>, taking the
// next free second when another file of the same name took that one.
void MarkImported(FileSystem& files, const std::string& path, LocalDateTime when) {
  while (true) {
    const std::string target = path + kMarcaImportato + FileDate(when.year, when.month, when.day) +
                               "-" + FileTime(when.hour, when.minute, when.second);
    try {
      files.MoveFile(path, target);
      return;
    } catch (const AutomationError& failure) {
      if (failure.number != kFileAlreadyExists) throw;
    }
    when = NextSecond(when);
  }
}

}  // namespace

void Viruzedi::ImportaFileLettore(const std::string& path, bool gs1) {
  FileSystem& files = platform().Files();
  if (!files.FileExists(path)) RaiseError(kFileNotFound, path);
  const std::string name = std::filesystem::path(path).filename().string();
  if (name.find(kMarcaImportato) != std::string::npos) RaiseError(kFileAlreadyExists, path);
  // A download still working on the file holds it.
  std::unique_ptr<FileLock> lock = files.TryLock(path);
  if (!lock) RaiseError(kPermissionDenied, path);

  const ReaderFileFormat format = gs1 ? Gs1ReaderFormat() : PlainReaderFormat();
  std::unique_ptr<Database> target = OpenReaderTarget(DbPath(), format);
  try {
    ImportReaderLines(platform(), *target, path, format);
  } catch (const AutomationError&) {
    outcome_.rowsRefused = target->RowsRefused();
    throw;
  }
  outcome_.rowsRefused = target->RowsRefused();
  // Renamed while still locked, so an append waiting for the lock goes to
  // a new file of the old name, never into the imported one.
  MarkImported(files, path, platform().LocalNow());
}

}  // namespace viruzedi
