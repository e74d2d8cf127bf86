// ImportaFile for a reader file (of either reader program import): the
// file an operator imports by hand once the cause of its failure is fixed.
#include "base/Conversions.h"
#include "database/Database.h"
#include "component/FileStamps.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "readerprog/ReaderFileImport.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {

void Viruzedi::ImportaFileLettore(const std::string& path, bool gs1) {
  FileSystem& files = platform().Files();
  std::unique_ptr<FileLock> lock = TakeWaitingFile(files, path, !IsMarkedImported(path));

  const ReaderFileFormat format = gs1 ? Gs1ReaderFormat() : PlainReaderFormat();
  std::unique_ptr<Database> target = OpenReaderTarget(DbPath(), dbSettings_, format);
  // A failed import stores nothing, so only a stored one has refused rows.
  ImportReaderLines(platform(), *target, path, format);
  outcome_.rowsRefused = target->RowsRefused();
  // Renamed while still locked, so an append waiting for the lock goes to
  // a new file of the old name, never into the imported one.
  RinominaImportato(files, path, platform().LocalNow());
}

}  // namespace viruzedi
