// The infrared download's step of the demo, against the simulated infrared
// reader.
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Demo.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

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
