// `viruzedi scarica1`: the infrared download.
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

CommandRegistration scarica1(
    "scarica1",
    {CommandGroup::kInfrared, 1,
     "Infrared reader download (libZiRav.so, or --zirav) over serial port N",
     "viruzedi --com 2=/dev/ttyUSB1 scarica1 --db magazzino.db --porta 2"},
    [](CLI::App& command) -> CommandAction {
      auto db = std::make_shared<std::string>();
      auto porta = std::make_shared<int32_t>(0);
      AddDatabaseOption(command, *db);
      command.add_option("--porta", *porta,
                         "Serial port number of the infrared link (Porta; its device comes "
                         "from --com N=DEVICE, default 0: no port)")
          ->check(CLI::Range(0, 255));
      return [db, porta](CliRun& run) {
        Viruzedi& component = run.Component();
        component.Porta(*porta);
        component.DbPath(*db);
        component.Scarica1();
      };
    });

}  // namespace
}  // namespace viruzedi::cli
