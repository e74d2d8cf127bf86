// Subcommands of `viruzedi` and steps of its demo register themselves here,
// so adding an operation to the command line is one new file in cli/.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "component/Viruzedi.h"

namespace viruzedi::cli {

// One run of the command: the component object and what the user was shown.
class CliRun {
 public:
  virtual ~CliRun() = default;
  // The component object, created on first use on the command's platform.
  virtual Viruzedi& Component() = 0;
  virtual Platform& platform() = 0;
};

// Adds the subcommand's options to `command` and returns what it runs.
// The action throws AutomationError for a failure that reaches the caller;
// failures that the component shows in a message box are seen by the run.
using CommandAction = std::function<void(CliRun&)>;
using CommandSetup = std::function<CommandAction(CLI::App& command)>;

struct CommandRegistration {
  CommandRegistration(std::string name, std::string description, CommandSetup setup);
};

struct RegisteredCommand {
  std::string name;
  std::string description;
  CommandSetup setup;
};
std::vector<RegisteredCommand>& RegisteredCommands();

// Options that stand for a boolean parameter take 0 or 1.
void AddBooleanOption(CLI::App& command, const std::string& name, bool& value,
                      const std::string& description);

}  // namespace viruzedi::cli
