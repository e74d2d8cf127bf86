// Demo step of the serial terminal link: a simulated terminal on a
// pseudo-terminal holds a stock-movement file, and scarica4 fetches it with
// YMODEM.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/Demo.h"
#include "component/AutomationError.h"
#include "platform/ChildProcess.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

const std::vector<std::string> kStockMovements{"X12$5;2;20261206;3", "X12$7;1,5;20261206;3",
                                               "B'200$3;4;20261207;1"};

DemoRegistration serialTerminal(50, "Terminal on a serial line: stock movements (scarica4)",
                                [](DemoContext& context) {
  const std::string folder = context.workFolder + "/terminale-seriale";
  std::filesystem::create_directories(folder);
  {
    std::ofstream out(folder + "/1.txt", std::ios::binary | std::ios::trunc);
    for (const std::string& line : kStockMovements) out << line << "\r\n";
  }
  std::unique_ptr<ChildProcess> simulator;
  std::string device;
  try {
    simulator = ChildProcess::Start(
        {context.binFolder + "terminal-simulator", "--folder", folder, "--trace"}, true);
    device = simulator->ReadLine(5s);
  } catch (const AutomationError& error) {
    std::cout << "  terminal-simulator: " << error.description << std::endl;
  }
  if (device.empty()) {
    std::cout << "  the simulated terminal did not start; step skipped" << std::endl;
    return;
  }
  std::cout << "  simulated terminal on " << device << ", holding 1.txt:" << std::endl;
  for (const std::string& line : kStockMovements) std::cout << "    " << line << std::endl;
  context.runViruzedi({"--terminale", "serial:" + device, "scarica4", "--db", context.database});
  std::string event = simulator->ReadLine(2s);
  if (!event.empty()) std::cout << "  the terminal says: " << event << std::endl;
  simulator->Terminate();
});

}  // namespace
}  // namespace viruzedi::cli
