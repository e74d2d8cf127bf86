// The demo: every operation against simulated devices into a new database.
// Each device adds one step from its own file in cli/.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"

namespace viruzedi::cli {

struct DemoContext {
  std::string binFolder;   // where viruzedi, the simulators and the libraries are
  std::string workFolder;  // a new folder for this demo run
  std::string database;    // the demo's database (created by the first step)
  std::string downloadFolder;  // the download folder used by the demo

  // Runs `viruzedi ARGS...` as a child process (showing the command line
  // first) and returns its exit status.
  std::function<int(const std::vector<std::string>&)> runViruzedi;
};

// A device simulator running beside the demo, on a pseudo-terminal.
struct SimulatedDevice {
  std::unique_ptr<ChildProcess> process;  // null when it did not start
  std::string device;                     // its device path, "" when it did not start
};

// Starts `program` of the bin folder with `arguments`, reads the device path
// from its first line, and shows what it holds. When it does not start it
// says so and the step is to be skipped (`device` empty).
SimulatedDevice StartSimulator(const DemoContext& context, const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::vector<std::string>& holding);

struct DemoRegistration {
  // Steps run in ascending `order`; the database step is 0.
  DemoRegistration(int order, std::string title, std::function<void(DemoContext&)> step);
};

struct DemoStep {
  int order;
  std::string title;
  std::function<void(DemoContext&)> step;
};
std::vector<DemoStep>& DemoSteps();

}  // namespace viruzedi::cli
