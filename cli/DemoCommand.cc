// `viruzedi demo`: every operation against simulated devices, into a new
// database in a new folder, then a summary of the rows.
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "platform/FileSystem.h"
#include "base/Errors.h"
#include "cli/Command.h"
#include "cli/Demo.h"
#include "database/Database.h"
#include "platform/ChildProcess.h"

namespace viruzedi::cli {

std::vector<DemoStep>& DemoSteps() {
  static std::vector<DemoStep> steps;
  return steps;
}

DemoRegistration::DemoRegistration(int order, std::string title,
                                   std::function<void(DemoContext&)> step) {
  DemoSteps().push_back({order, std::move(title), std::move(step)});
}

SimulatedDevice StartSimulator(const DemoContext& context, const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::vector<std::string>& holding) {
  using namespace std::chrono_literals;
  std::vector<std::string> argv{context.binFolder + program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  SimulatedDevice simulated;
  try {
    simulated.process = ChildProcess::Start(argv, true);
    simulated.device = simulated.process->ReadLine(5s);
  } catch (const AutomationError& error) {
    std::cout << "  " << program << ": " << error.description << std::endl;
  }
  if (simulated.device.empty()) {
    std::cout << "  " << program << " did not start; step skipped" << std::endl;
    return simulated;
  }
  std::cout << "  " << program << " on " << simulated.device << ", holding:" << std::endl;
  for (const std::string& item : holding) std::cout << "    " << item << std::endl;
  return simulated;
}

namespace {

int RunViruzedi(const DemoContext& context, const std::vector<std::string>& args) {
  std::vector<std::string> argv{context.binFolder + "viruzedi"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::cout << "$ viruzedi";
  for (const std::string& arg : args) std::cout << ' ' << arg;
  std::cout << std::endl;
  int status = RunProcess(argv);
  std::cout << "  (exit status " << status << ")" << std::endl;
  return status;
}

CommandRegistration demo(
    "demo",
    {CommandGroup::kDemo, 1, "Run every operation against simulated devices into a new database",
     "viruzedi demo --cartella /tmp/prova-viruzedi"},
    [](CLI::App& command) -> CommandAction {
      auto folder = std::make_shared<std::string>();
      command.add_option("--cartella", *folder,
                         "Folder for the demo's database and files (default: a new temporary folder)");
      return [folder](CliRun&) {
        DemoContext context;
        context.binFolder = ExecutableFolder();
        context.workFolder = folder->empty() ? MakeTemporaryFolder("viruzedi-demo-") : *folder;
        // Every step writes into the folder: one that is missing is made, as
        // the help promises, rather than failing each step in turn.
        std::error_code error;
        std::filesystem::create_directories(context.workFolder, error);
        if (error) RaiseError(kPathNotFound, context.workFolder + " (" + error.message() + ")");
        context.database = JoinPath(context.workFolder, "magazzino.db");
        context.downloadFolder = JoinPath(context.workFolder, "_Letture");
        context.runViruzedi = [&context](const std::vector<std::string>& args) {
          return RunViruzedi(context, args);
        };
        SetEnvironmentValue("VIRUZEDI_LETTURE", context.downloadFolder);

        std::vector<DemoStep> steps = DemoSteps();
        std::stable_sort(steps.begin(), steps.end(),
                         [](const DemoStep& a, const DemoStep& b) { return a.order < b.order; });
        for (const DemoStep& step : steps) {
          std::cout << "\n== " << step.title << " ==" << std::endl;
          step.step(context);
        }
        std::cout << "\nDemo folder: " << context.workFolder << std::endl;
      };
    });

DemoRegistration createDatabase(0, "A new database", [](DemoContext& context) {
  context.runViruzedi({"init-db", context.database});
});

// Last of all: what the demo wrote.
DemoRegistration summary(1000, "Rows in the database", [](DemoContext& context) {
  context.runViruzedi({"mostra", "--db", context.database});
});

}  // namespace
}  // namespace viruzedi::cli
