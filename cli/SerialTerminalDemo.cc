// Demo step of the serial terminal link: a simulated terminal on a
// pseudo-terminal holds a stock-movement file, and scarica4 fetches it with
// YMODEM.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/Demo.h"
#include "platform/FileSystem.h"
#include "platform/ChildProcess.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

const std::vector<std::string> kStockMovements{"X12$5;2;20261206;3", "X12$7;1,5;20261206;3",
                                               "B'200$3;4;20261207;1"};

DemoRegistration serialTerminal(50, "Terminal on a serial line: stock movements (scarica4)",
                                [](DemoContext& context) {
  const std::string folder = JoinPath(context.workFolder, "terminale-seriale");
  std::filesystem::create_directories(folder);
  {
    std::ofstream out(JoinPath(folder, "1.txt"), std::ios::binary | std::ios::trunc);
    for (const std::string& line : kStockMovements) out << line << "\r\n";
  }
  std::vector<std::string> holding{"1.txt:"};
  for (const std::string& line : kStockMovements) holding.push_back("  " + line);
  SimulatedDevice terminal =
      StartSimulator(context, "terminal-simulator", {"--folder", folder, "--trace"}, holding);
  if (terminal.device.empty()) return;
  context.runViruzedi(
      {"--terminale", "serial:" + terminal.device, "scarica4", "--db", context.database});
  std::string event = terminal.process->ReadLine(2s);
  if (!event.empty()) std::cout << "  the terminal says: " << event << std::endl;
  terminal.process->Terminate();
});

}  // namespace
}  // namespace viruzedi::cli
