// Subcommands of `viruzedi` and steps of its demo register themselves here,
// so adding an operation to the command line is one new file in cli/.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Settings.h"
#include "viruzedi/Viruzedi.h"

namespace viruzedi::cli {

// One run of the command: the component object and what the user was shown.
class CliRun {
 public:
  virtual ~CliRun() = default;
  // The component object, created on first use on the command's platform.
  virtual Viruzedi& Component() = 0;
  virtual Platform& platform() = 0;
  // The run's effective settings, already written into its environment.
  virtual const std::vector<Setting>& Settings() const = 0;
  // The settings files the run looked for, highest precedence first, each
  // with whether it was there.
  virtual const std::vector<SettingsSource>& SettingsFiles() const = 0;
};

// Adds the subcommand's options to `command` and returns what it runs.
// The action throws AutomationError for a failure that reaches the caller;
// failures that the component shows in a message box are seen by the run.
using CommandAction = std::function<void(CliRun&)>;
using CommandSetup = std::function<CommandAction(CLI::App& command)>;

// The groups of `viruzedi --help`, in the order a reader needs them.
enum class CommandGroup {
  kSettingUp,
  kPen,
  kInfrared,
  kTerminal,
  kReaderProgram,
  kUpload,
  kOperatorTools,
  kDemo,
};

// How a command shows in the help: in its group at `order`, with the one
// line of `viruzedi --help` and the example of `viruzedi NAME --help`.
struct CommandHelp {
  CommandGroup group;
  int order = 0;
  std::string description;
  std::string example;
};

struct CommandRegistration {
  CommandRegistration(std::string name, CommandHelp help, CommandSetup setup);
};

struct RegisteredCommand {
  std::string name;
  CommandHelp help;
  CommandSetup setup;
};
std::vector<RegisteredCommand>& RegisteredCommands();

// The target database option (DbPath): required, unless VIRUZEDI_DB (or the
// `db` setting, which the run turns into it) gives it.
CLI::Option* AddDatabaseOption(CLI::App& command, std::string& database);

// Options that stand for a boolean parameter take 0 or 1.
void AddBooleanOption(CLI::App& command, const std::string& name, bool& value,
                      const std::string& description);

}  // namespace viruzedi::cli
