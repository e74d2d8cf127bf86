// `viruzedi scarica1`: the infrared download, and its step of the demo
// against the simulated infrared reader.
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

// Records of the simulated reader: a code with a quote, a bad code (no
// "$": the warning, then the next record), and a reply garbled on the way
// that comes late, which the dialogue asks for again.
const std::vector<std::string> kDemoRecords{"#A7$12;1.5;20261206;3;", "#B'9$5;2;20260131;7;",
                                            "#SENZALOTTO;1;20261206;1;",
                                            "#C300$14;0.25;20261207;2;"};

DemoRegistration infraredDownload(20, "Infrared reader (scarica1)", [](DemoContext& context) {
  std::vector<std::string> arguments{"--garbled", "3", "--late", "3"};
  for (const std::string& record : kDemoRecords) {
    arguments.push_back("--record");
    arguments.push_back(record);
  }
  SimulatedDevice reader = StartSimulator(context, "infrared-simulator", arguments, kDemoRecords);
  if (reader.device.empty()) return;
  std::cout << "  (the answer to request 3 comes late and garbled)" << std::endl;
  context.runViruzedi(
      {"--com", "2=" + reader.device, "scarica1", "--db", context.database, "--porta", "2"});
  std::string erased = reader.process->ReadLine(1s);
  std::cout << "  the reader " << (erased.empty() ? "keeps its records" : "says: " + erased)
            << std::endl;
  reader.process->Terminate();
});

}  // namespace
}  // namespace viruzedi::cli
