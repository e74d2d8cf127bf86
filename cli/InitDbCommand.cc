#include "cli/Command.h"
#include "database/Database.h"

namespace viruzedi::cli {
namespace {

CommandRegistration initDb(
    "init-db",
    {CommandGroup::kSettingUp, 1,
     "Create a new database with the tables Viruzedi and Viruzedi_RimesseOF",
     "viruzedi init-db magazzino.db"},
    [](CLI::App& command) -> CommandAction {
      auto file = std::make_shared<std::string>();
      command.add_option("FILE", *file, "Database file to create (must not exist)")->required();
      return [file](CliRun&) { DBEngine::CreateTargetDatabase(*file); };
    });

}  // namespace
}  // namespace viruzedi::cli
