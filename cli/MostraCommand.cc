#include <iostream>

#include "cli/Command.h"
#include "component/Database.h"

namespace viruzedi::cli {
namespace {

CommandRegistration mostra(
    "mostra", "Show the rows of the component's two tables",
    [](CLI::App& command) -> CommandAction {
      auto file = std::make_shared<std::string>();
      command.add_option("--db", *file, "Database file")->required();
      return [file](CliRun&) { std::cout << DumpTables(*file); };
    });

}  // namespace
}  // namespace viruzedi::cli
