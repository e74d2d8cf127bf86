// `viruzedi in-attesa`: the files that wait in the download folder (received
// files, reader files and the pen's recovery file), each with the formats
// `importa` can take it as; with --db, those whose rows the database's
// import ledger holds already (a crash ended their import after its
// commit), which `importa` then only archives.
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "operation/FileLedger.h"
#include "operation/FileStamps.h"
#include "database/Database.h"
#include "platform/FileSystem.h"
#include "serial/Texts.h"
#include "terminal/WaitingFiles.h"

namespace viruzedi::cli {
namespace {

constexpr char kCartellaDiScarico[] =
    ". È la cartella di scarico (impostazione letture): i file in attesa non si possono "
    "elencare";

// The listing below passes over a folder it cannot read as one that holds
// nothing: an operator would then take "no file waits" for the truth.
// 76 when the download folder is missing, 70 (or what the system says)
// when it cannot be listed, each naming it as the download folder.
void RequireReadableFolder(Platform& platform) {
  const std::string folder = platform.DownloadFolder();
  try {
    platform.Files().ListFolder(folder);
  } catch (const AutomationError& failure) {
    throw AutomationError(failure.number, failure.description + kCartellaDiScarico);
  }
}

// The download folder's reader files and recovery files that wait: those
// given a name of their own for an import that did not end, and the pen's
// recovery file itself.
std::vector<WaitingFile> OtherWaitingFiles(Platform& platform) {
  FileSystem& files = platform.Files();
  const std::string folder = platform.DownloadFolder();
  std::vector<WaitingFile> waiting;
  for (const std::string& name : SortedNamesIn(files, folder)) {
    if (name.ends_with(kMarcaInLettura)) {
      // The plain reader file of a run cut before it had a name of its own.
      const std::string plain =
          JoinPath(folder, name.substr(0, name.size() - std::strlen(kMarcaInLettura)));
      if (!IsMarkedWaiting(plain) && WaitsToBeImported(files, plain)) {
        waiting.push_back({plain, {ImportFormat::kScarica2, ImportFormat::kScaricaZidoriVovi}});
      }
      continue;
    }
    const std::string path = JoinPath(folder, name);
    const bool pen = BaseName(OriginalPath(path)) == kFileNonSalvate;
    if (!(IsMarkedWaiting(path) || pen) || IsMarkedImported(path) ||
        !WaitsToBeImported(files, path)) {
      continue;
    }
    waiting.push_back({path, pen ? std::vector<ImportFormat>{ImportFormat::kScarica}
                                 : std::vector<ImportFormat>{ImportFormat::kScarica2,
                                                             ImportFormat::kScaricaZidoriVovi}});
  }
  return waiting;
}

CommandRegistration inAttesa(
    "in-attesa",
    {CommandGroup::kOperatorTools, 1,
     "List the files that wait in the download folder, with their formats",
     "viruzedi --letture /srv/letture in-attesa --db magazzino.db"},
    [](CLI::App& command) -> CommandAction {
      auto db = std::make_shared<std::string>();
      command.add_option("--db", *db,
                         "Also tell which files the database's import ledger holds already "
                         "(their rows are stored: importa only archives them)");
      return [db](CliRun& run) {
        Platform& platform = run.platform();
        RequireReadableFolder(platform);
        std::vector<WaitingFile> waiting = WaitingFiles(platform);
        for (WaitingFile& other : OtherWaitingFiles(platform)) waiting.push_back(std::move(other));
        std::unique_ptr<Database> database;
        if (!db->empty()) database = DBEngine::Instance().OpenDatabase(*db);
        for (const WaitingFile& file : waiting) {
          std::cout << file.path << "\t--formato ";
          for (size_t i = 0; i < file.formats.size(); ++i) {
            std::cout << (i == 0 ? "" : " oppure ") << ImportFormatName(file.formats[i]);
          }
          if (database) {
            FileLedger ledger(*database, platform, ParentFolder(file.path), BaseName(file.path));
            if (std::optional<std::string> importedOn = ledger.ImportedOn()) {
              std::cout << "\tgià importato il " << *importedOn;
            }
          }
          std::cout << "\n";
        }
      };
    });

}  // namespace
}  // namespace viruzedi::cli
