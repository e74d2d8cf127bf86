// `viruzedi scarica`: the pen download.
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

CommandRegistration scarica(
    "scarica",
    {CommandGroup::kPen, 1, "Pen reader download over serial port N into table Viruzedi",
     "viruzedi --com 1=/dev/ttyUSB0 scarica --db magazzino.db --porta 1"},
    [](CLI::App& command) -> CommandAction {
      auto db = std::make_shared<std::string>();
      auto porta = std::make_shared<int32_t>(0);
      AddDatabaseOption(command, *db);
      command.add_option("--porta", *porta,
                         "Serial port number (Porta; its device comes from --com N=DEVICE, "
                         "default 0: no port)")
          ->check(CLI::Range(0, 255));
      return [db, porta](CliRun& run) {
        Viruzedi& component = run.Component();
        component.Porta(*porta);
        component.DbPath(*db);
        component.Scarica();
      };
    });

}  // namespace
}  // namespace viruzedi::cli
