#include "cli/Command.h"
#include "component/Database.h"

namespace viruzedi::cli {
namespace {

CommandRegistration initDb(
    "init-db", "Create a new target database with the tables Viruzedi and Viruzedi_RimesseOF",
    [](CLI::App& command) -> CommandAction {
      auto file = std::make_shared<std::string>();
      command.add_option("FILE", *file, "Database file to create (must not exist)")->required();
      return [file](CliRun&) { DBEngine::CreateTargetDatabase(*file); };
    });

}  // namespace
}  // namespace viruzedi::cli
