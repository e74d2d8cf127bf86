#include <iostream>

#include "cli/Command.h"
#include "database/Database.h"

namespace viruzedi::cli {
namespace {

CommandRegistration mostra(
    "mostra",
    {CommandGroup::kOperatorTools, 3, "Show the rows of the component's two tables",
     "viruzedi mostra --db magazzino.db"},
    [](CLI::App& command) -> CommandAction {
      auto file = std::make_shared<std::string>();
      AddDatabaseOption(command, *file);
      return [file](CliRun&) { std::cout << DumpTables(*file); };
    });

}  // namespace
}  // namespace viruzedi::cli
