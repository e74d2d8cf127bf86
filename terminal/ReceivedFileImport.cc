#include "terminal/ReceivedFileImport.h"

#include <vector>

#include "component/Conversions.h"
#include "component/ErrorReport.h"
#include "component/Messages.h"
#include "platform/FileSystem.h"
#include "terminal/FileDownload.h"

namespace viruzedi {
namespace {

struct StagedRow {
  uint64_t lineNumber;
  std::string statement;
};

bool IsBlank(const std::string& line) {
  return line.find_first_not_of(' ') == std::string::npos;
}

// The line again, read only when a failure must name it: staging keeps the
// statements, not the lines, so a long file costs its rows once.
std::string LineAt(FileSystem& files, const std::string& path, uint64_t lineNumber) {
  try {
    std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
    std::string line;
    for (uint64_t n = 0; n < lineNumber && !stream->AtEndOfStream(); ++n) line = stream->ReadLine();
    return line;
  } catch (...) {
    return "";
  }
}

[[noreturn]] void RethrowAtLine(FileSystem& files, const std::string& path, uint64_t lineNumber,
                                const std::string* line) {
  AutomationError failure = CurrentFailure();
  // A stop request lies in no line.
  if (failure.number != kUserInterrupt) {
    failure.detail = path + ", riga " + std::to_string(lineNumber) + ": " +
                     (line ? *line : LineAt(files, path, lineNumber));
  }
  throw failure;
}

std::vector<StagedRow> StageLines(const FileDownload& download, Platform& platform,
                                  const std::string& path, int16_t idUt) {
  FileSystem& files = platform.Files();
  std::vector<StagedRow> rows;
  std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
  LineContext context{platform, idUt};
  uint64_t lineNumber = 0;
  while (!stream->AtEndOfStream()) {
    StopIfRequested(platform);
    ++lineNumber;
    std::string line;
    try {
      line = stream->ReadLine();
    } catch (...) {
      RethrowAtLine(files, path, lineNumber, &line);
    }
    // A terminal that ends its file with an empty line sent no read there.
    if (IsBlank(line)) continue;
    std::optional<std::string> statement;
    try {
      statement = download.grammar(SplitFields(line), context);
    } catch (...) {
      RethrowAtLine(files, path, lineNumber, &line);
    }
    if (statement) {
      rows.push_back(StagedRow{lineNumber, std::move(*statement)});
    } else {
      platform.MessageBox(kAvvisoCodiceErrato, kCritical, kTitoloAttenzione);
    }
  }
  stream->Close();
  return rows;
}

}  // namespace

std::unique_ptr<Database> OpenTargetDatabase(const FileDownload& download,
                                             const std::string& dbPath) {
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(dbPath);
  database->CheckColumns(download.table,
                         std::vector<std::string>(download.columns.begin(), download.columns.end()));
  return database;
}

uint64_t ImportReceivedFile(const FileDownload& download, Platform& platform, Database& database,
                            const std::string& folder, const std::string& name, int16_t idUt) {
  FileSystem& files = platform.Files();
  const std::string path = JoinPath(folder, name);
  std::vector<StagedRow> rows = StageLines(download, platform, path, idUt);

  // Rows stored under a file that then cannot take its archive name would
  // be stored again by whoever imports the waiting file.
  if (download.archive == ArchiveRule::kImportato &&
      files.FileExists(JoinPath(folder, ImportatoName(name)))) {
    RaiseError(kFileAlreadyExists, JoinPath(folder, ImportatoName(name)));
  }

  const uint64_t refusedBefore = database.RowsRefused();
  {
    // One short transaction once every line is checked, so other
    // workstations wait for the writing only, never for the reading.
    Transaction transaction(database);
    for (const StagedRow& row : rows) {
      try {
        database.Execute(row.statement);
      } catch (...) {
        RethrowAtLine(files, path, row.lineNumber, nullptr);
      }
    }
    transaction.Commit();
  }
  // The archived file is the only trace of what the terminal sent: its rows
  // must be on disk before it stops looking unimported.
  database.MakeDurable();
  const uint64_t refused = database.RowsRefused() - refusedBefore;
  database.Close();

  ArchiveReceivedFile(download, files, folder, name, platform.LocalNow());
  return refused;
}

}  // namespace viruzedi
