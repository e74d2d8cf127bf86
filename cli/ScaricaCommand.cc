// `viruzedi scarica`: the pen download, and its step of the demo against the
// simulated pen reader.
#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/Demo.h"
#include "platform/ChildProcess.h"

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

// Reads of the simulated pen: both decimal marks, a code with a quote.
const std::vector<std::string> kDemoReads{"A1;12;345;2.5", "7;0;0;3", "B200;12;346;0,5",
                                          "D'ORO 5;13;350;-1.5"};

DemoRegistration penDownload(10, "Pen reader (scarica)", [](DemoContext& context) {
  SimulatedDevice pen = StartSimulator(context, "pen-simulator", kDemoReads, kDemoReads);
  if (pen.device.empty()) return;
  context.runViruzedi(
      {"--com", "1=" + pen.device, "scarica", "--db", context.database, "--porta", "1"});
  pen.process->Terminate();
});

}  // namespace
}  // namespace viruzedi::cli
