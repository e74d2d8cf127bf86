// The pen download's step of the demo, against the simulated pen reader.
#include <chrono>
#include <string>
#include <vector>

#include "cli/Demo.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

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
