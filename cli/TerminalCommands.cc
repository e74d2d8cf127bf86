// The terminal file downloads and the upload. The terminal link comes from
// the global option --terminale (or VIRUZEDI_TERMINALE).
#include "cli/Command.h"

namespace viruzedi::cli {
namespace {

using Download = Variant (Viruzedi::*)();

CommandSetup FileDownloadCommand(Download operation) {
  return [operation](CLI::App& command) -> CommandAction {
    auto database = std::make_shared<std::string>();
    command.add_option("--db", *database, "Target database file (DbPath)")->required();
    return [database, operation](CliRun& run) {
      Viruzedi& component = run.Component();
      component.DbPath(*database);
      (component.*operation)();
    };
  };
}

CommandRegistration scarica3("scarica3",
                             "Receive terminal file 1 and import its sub-order reads into "
                             "table Viruzedi",
                             FileDownloadCommand(&Viruzedi::Scarica3));

CommandRegistration scarica4("scarica4",
                             "Receive terminal file 1 and import its stock movements into "
                             "table Viruzedi",
                             FileDownloadCommand(&Viruzedi::Scarica4));

CommandRegistration scarica5("scarica5",
                             "Receive terminal file 2 and import its reconciliation into "
                             "table Viruzedi",
                             FileDownloadCommand(&Viruzedi::Scarica5));

CommandRegistration scaricaRimesseOF(
    "scarica-rimesseof",
    "Receive terminal file 1 and import its remittances into table Viruzedi_RimesseOF",
    [](CLI::App& command) -> CommandAction {
      auto database = std::make_shared<std::string>();
      auto idUt = std::make_shared<int16_t>(0);
      command.add_option("--db", *database, "Target database file (DbPath)")->required();
      command.add_option("--idut", *idUt, "User id written into every row (IdUt, default 0)");
      return [database, idUt](CliRun& run) {
        Viruzedi& component = run.Component();
        component.DbPath(*database);
        component.IdUt(*idUt);
        component.Scarica_RimesseOF();
      };
    });

CommandRegistration upload1(
    "upload1", "Send the upload file file_up.tmp of the download folder to the terminal",
    [](CLI::App&) -> CommandAction {
      return [](CliRun& run) { run.Component().Upload1(); };
    });

}  // namespace
}  // namespace viruzedi::cli
