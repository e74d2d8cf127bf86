// The terminal file downloads and the upload. The terminal link comes from
// the global option --terminale (or VIRUZEDI_TERMINALE).
#include "cli/Command.h"

namespace viruzedi::cli {
namespace {

using Download = Variant (Viruzedi::*)();

CommandSetup FileDownloadCommand(Download operation) {
  return [operation](CLI::App& command) -> CommandAction {
    auto database = std::make_shared<std::string>();
    AddDatabaseOption(command, *database);
    return [database, operation](CliRun& run) {
      Viruzedi& component = run.Component();
      component.DbPath(*database);
      (component.*operation)();
    };
  };
}

CommandRegistration scarica3(
    "scarica3",
    {CommandGroup::kTerminal, 1, "Terminal file 1 as sub-order reads into table Viruzedi",
     "viruzedi --terminale dir:/media/terminale scarica3 --db magazzino.db"},
    FileDownloadCommand(&Viruzedi::Scarica3));

CommandRegistration scarica4(
    "scarica4",
    {CommandGroup::kTerminal, 2, "Terminal file 1 as stock movements into table Viruzedi",
     "viruzedi --terminale serial:/dev/ttyUSB0 scarica4 --db magazzino.db"},
    FileDownloadCommand(&Viruzedi::Scarica4));

CommandRegistration scarica5(
    "scarica5",
    {CommandGroup::kTerminal, 3, "Terminal file 2 as a reconciliation into table Viruzedi",
     "viruzedi --terminale serial:/dev/ttyUSB0,57600 scarica5 --db magazzino.db"},
    FileDownloadCommand(&Viruzedi::Scarica5));

CommandRegistration scaricaRimesseOF(
    "scarica-rimesseof",
    {CommandGroup::kTerminal, 4, "Terminal file 1 as remittances into table Viruzedi_RimesseOF",
     "viruzedi --terminale dir:/media/terminale scarica-rimesseof --db magazzino.db --idut 7"},
    [](CLI::App& command) -> CommandAction {
      auto database = std::make_shared<std::string>();
      auto idUt = std::make_shared<int16_t>(0);
      AddDatabaseOption(command, *database);
      command.add_option("--idut", *idUt, "User id written into every row (IdUt, default 0)");
      return [database, idUt](CliRun& run) {
        Viruzedi& component = run.Component();
        component.DbPath(*database);
        component.IdUt(*idUt);
        component.Scarica_RimesseOF();
      };
    });

CommandRegistration upload1(
    "upload1",
    {CommandGroup::kUpload, 1, "Send file_up.tmp of the download folder to the terminal",
     "viruzedi --terminale dir:/media/terminale upload1"},
    [](CLI::App&) -> CommandAction {
      return [](CliRun& run) { run.Component().Upload1(); };
    });

}  // namespace
}  // namespace viruzedi::cli
