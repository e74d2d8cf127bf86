// ImportaFilePenna: stores the reads of the pen's recovery file (or any file
// of pen lines) as the pen download would, all of them or none.
#include <memory>
#include <vector>

#include "base/Conversions.h"
#include "base/Text.h"
#include "database/Database.h"
#include "component/ErrorReport.h"
#include "component/FileStamps.h"
#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "serial/PenRead.h"
#include "serial/Texts.h"

namespace viruzedi {

void Viruzedi::ImportaFilePenna(const std::string& path) {
  Platform& platform = *platform_;
  FileSystem& files = platform.Files();
  // Held from before the first line until the file has left its name: a pen
  // download that fails meanwhile waits to append, so its read lands in the
  // file's next version instead of in one already imported.
  std::unique_ptr<FileLock> lock = TakeWaitingFile(files, path, !IsMarkedImported(path));

  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(dbPath_, dbSettings_);
  database->CheckColumns(kTabellaLetture, std::vector<std::string>(std::begin(kColonneLetture),
                                                                   std::end(kColonneLetture)));
  {
    Transaction transaction(*database);
    std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
    for (int number = 1; !stream->AtEndOfStream(); ++number) {
      StopIfRequested(platform);
      std::string line = stream->ReadLine();
      // An empty answer or a lone line end carries no read.
      if (IsBlankLine(line)) continue;
      try {
        // The stream hands out UTF-8; the pen's grammar takes the bytes the
        // pen sent, which is what an unedited recovery file holds.
        std::string riga = Utf8ToWindows1252(line);
        database->InsertRow(PenReadRow(CutPenRead(riga)));
      } catch (AutomationError& failure) {
        failure.detail = LineDetail(path, number, line);
        throw;
      }
    }
    transaction.Commit();
  }
  // Durable before the rename: the renamed file is no longer a read's copy.
  database->MakeDurable();
  outcome_.rowsRefused = database->RowsRefused();
  RinominaImportato(files, path, platform.LocalNow());
}

}  // namespace viruzedi
