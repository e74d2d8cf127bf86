// viruzedi [--letture DIR] [--com N=DEVICE]... [--terminale SETTING] [--zirav PATH]
//          [--config FILE] COMMAND ...
//
// Exit status: 0 when the operation returned without a failure (warnings
// allowed), 1 when it ended through a failure (an error box, a time-out, an
// open failure, an automation error), 2 for a usage error, 128 + the signal
// (130, 143) when SIGINT or SIGTERM stopped it.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <optional>

#include <CLI/CLI.hpp>

#include "cli/Command.h"
#include "cli/Progress.h"
#include "cli/Settings.h"
#include "cli/UnknownCommand.h"
#include "component/ObjectState.h"
#include "database/Database.h"
#include "base/Identity.h"
#include "platform/ChildProcess.h"
#include "platform/Environment.h"
#include "platform/ProgramArguments.h"
#include "platform/StopSignals.h"

namespace viruzedi::cli {

std::vector<RegisteredCommand>& RegisteredCommands() {
  static std::vector<RegisteredCommand> commands;
  return commands;
}

CommandRegistration::CommandRegistration(std::string name, CommandHelp help, CommandSetup setup) {
  RegisteredCommands().push_back({std::move(name), std::move(help), std::move(setup)});
}

CLI::Option* AddDatabaseOption(CLI::App& command, std::string& database) {
  return command.add_option("--db", database, "Target database file (DbPath)")
      ->required()
      ->envname("VIRUZEDI_DB");
}

void AddBooleanOption(CLI::App& command, const std::string& name, bool& value,
                      const std::string& description) {
  command.add_option_function<int>(
             name, [&value](int given) { value = given != 0; },
             description + " (0 or 1, default " + (value ? "1" : "0") + ")")
      ->check(CLI::IsMember({0, 1}));
}

namespace {

// A progress line is open on standard error: the next message starts a new one.
bool progressShown = false;

// Forwards to the real platform, but for its boxes: the command shows each
// as a line on standard error on every system (a shell has no one to click
// a box away), ending an open progress line first. A stop signal is the
// operation's stop request.
class CommandPlatform : public ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;

  void MessageBox(const std::string& text, int /*style*/, const std::string& caption) override {
    if (progressShown) {
      std::fputc('\n', stderr);
      progressShown = false;
    }
    std::string line = MessageBoxLine(text, caption) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }

  bool StopRequested() override { return StopSignalReceived() != 0; }
};

// The settings of a run and the files they were looked for in.
struct RunSettings {
  std::vector<Setting> settings;
  std::vector<SettingsSource> files;
};

class Run : public CliRun {
 public:
  Run(std::shared_ptr<CommandPlatform> platform, RunSettings settings,
      std::function<void(const RowProgress&)> rowObserver)
      : platform_(std::move(platform)),
        settings_(std::move(settings)),
        rowObserver_(std::move(rowObserver)) {}
  Viruzedi& Component() override {
    if (!component_) {
      component_ = std::make_unique<Viruzedi>(platform_);
      component_->state().dbSettings.rowObserver = rowObserver_;
    }
    return *component_;
  }
  Platform& platform() override { return *platform_; }
  const std::vector<Setting>& Settings() const override { return settings_.settings; }
  const std::vector<SettingsSource>& SettingsFiles() const override { return settings_.files; }
  // How the component's operation ended; none when the command ran none.
  std::optional<OperationOutcome> Outcome() const {
    if (!component_) return std::nullopt;
    return component_->LastOutcome();
  }
  void Release() { component_.reset(); }

 private:
  std::shared_ptr<CommandPlatform> platform_;
  RunSettings settings_;
  std::function<void(const RowProgress&)> rowObserver_;
  std::unique_ptr<Viruzedi> component_;
};

// The lines beside the boxes: where in a file a failure lies, and the rows
// that the user's table refused (dropped without an error by design, but
// the person who ran the download must hear of them).
void ReportOutcome(const OperationOutcome& outcome) {
  if (!outcome.detail.empty()) std::cerr << "viruzedi: " << outcome.detail << "\n";
  if (outcome.ledgerMissing) {
    std::cerr << "viruzedi: attenzione: il database non ha la tabella Viruzedi_Importazioni e "
                 "questo utente non ha il diritto di crearla: le righe sono salvate, ma se il "
                 "programma si interrompesse subito dopo un salvataggio, un nuovo scarico o "
                 "importa potrebbero salvarle due volte. L'amministratore del database la crei "
                 "(un'importazione come proprietario del database basta) e conceda SELECT, "
                 "INSERT, UPDATE su di essa a questo utente\n";
  }
  if (outcome.rowsRefused > 0) {
    std::cerr << "viruzedi: " << outcome.rowsRefused
              << (outcome.rowsRefused == 1 ? " riga rifiutata" : " righe rifiutate")
              << " da un vincolo della tabella\n";
  }
  if (outcome.labelsSetAside > 0) {
    std::cerr << "viruzedi: " << outcome.labelsSetAside
              << (outcome.labelsSetAside == 1 ? " etichetta messa" : " etichette messe")
              << " da parte in " << outcome.setAsideFile << "\n";
  }
}

// Long downloads tell a person at a terminal that they are moving, and
// how long they still have to wait.
void ShowProgress(const RowProgress& progress) {
  static ProgressLine line(StandardErrorColumns);
  if (std::optional<std::string> text = line.Update(progress, ProgressLine::Clock::now())) {
    std::fputs(text->c_str(), stderr);
    progressShown = true;
  }
}

const char* GroupTitle(CommandGroup group) {
  switch (group) {
    case CommandGroup::kSettingUp: return "Setting up";
    case CommandGroup::kPen: return "Downloads: pen reader";
    case CommandGroup::kInfrared: return "Downloads: infrared reader";
    case CommandGroup::kTerminal: return "Downloads: portable terminal";
    case CommandGroup::kReaderProgram: return "Downloads: any reader, through the reader program";
    case CommandGroup::kUpload: return "Upload to the portable terminal";
    case CommandGroup::kOperatorTools: return "Operator's tools";
    case CommandGroup::kDemo: return "Demo";
  }
  return "";
}

// The word a person typed for a command when none of the commands matched
// it (CLI11 then says only that a command is required), or none: what is
// left of the line after the global options and their values, options
// left aside.
std::optional<std::string> MistypedCommand(const CLI::App& app) {
  if (!app.get_subcommands().empty()) return std::nullopt;
  for (const std::string& word : app.remaining()) {
    if (!word.empty() && word[0] != '-') return word;
  }
  return std::nullopt;
}

// Gathers the run's settings from the global options, the environment and
// the settings files, and writes the winners that came from an option or a
// file into the environment. Runs when a command's own parse begins: the
// global options are parsed by then, and VIRUZEDI_DB must be in place
// before CLI11 reads the variables of the command's options.
RunSettings ApplySettings(const CLI::App& app) {
  auto last = [&app](const std::string& name) {
    const std::vector<std::string>& given = app.get_option(name)->results();
    return given.empty() ? std::string() : given.back();
  };
  std::vector<SettingsSource> sources;
  sources.push_back(OptionSettings(last("--letture"), app.get_option("--com")->results(),
                                   last("--terminale"), last("--zirav")));
  sources.push_back(EnvironmentSettings());
  if (app.get_option("--config")->count() > 0) {
    sources.push_back(ReadSettingsFile(last("--config"), SettingOrigin::kGivenFile));
  } else {
    std::string user = UserSettingsFile();
    if (!user.empty()) sources.push_back(ReadSettingsFile(user, SettingOrigin::kUserFile));
    sources.push_back(ReadSettingsFile(MachineSettingsFile(), SettingOrigin::kMachineFile));
  }
  RunSettings run;
  run.files.assign(sources.begin() + 2, sources.end());  // after the options and variables
  run.settings = EffectiveSettings(sources);
  for (const Setting& setting : run.settings) {
    if (setting.origin != SettingOrigin::kVariable && setting.origin != SettingOrigin::kDefault) {
      SetEnvironmentValue(setting.variable, setting.value);
    }
  }
  return run;
}

int Main(int argc, char** argv) {
  CLI::App app{
      "viruzedi: moves barcode reads from portable readers into a database "
      "(an SQLite file, a PostgreSQL server, an ODBC data source)"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Every command with its options");
  app.set_version_flag("--version", std::string("viruzedi ") + kVersion + "\nlibviruzedi " +
                                        ComponentVersion());

  // Bound for CLI11's help and checks only: ApplySettings reads the options'
  // results, which exist before the command's parse begins; these variables
  // are filled only after it ends.
  std::string letture, terminale, zirav, config;
  std::vector<std::string> ports;
  const DefaultSettingsText& defaults = SystemDefaultsText();
  app.add_option("--letture", letture,
                 std::string("Download folder for received files and markers "
                             "(VIRUZEDI_LETTURE; default ") +
                     defaults.downloadFolder + ")");
  app.add_option("--com", ports,
                 std::string("Device of serial port N, as N=DEVICE (VIRUZEDI_COM<N>; default ") +
                     defaults.serialDevice + "); may be repeated");
  app.add_option("--terminale", terminale,
                 "Terminal link: dir:FOLDER or serial:DEVICE[,BAUD] (VIRUZEDI_TERMINALE)");
  app.add_option("--zirav", zirav,
                 std::string("Path of the infrared link library (VIRUZEDI_ZIRAV; default ") +
                     defaults.infraredLibrary + ")");
  app.add_option("--config", config,
                 "Settings file (TOML) read in place of the user's and the machine's; "
                 "/dev/null reads none");

  std::vector<RegisteredCommand> registered = RegisteredCommands();
  std::stable_sort(registered.begin(), registered.end(),
                   [](const RegisteredCommand& a, const RegisteredCommand& b) {
                     if (a.help.group != b.help.group) return a.help.group < b.help.group;
                     return a.help.order < b.help.order;
                   });
  CommandAction chosen;
  RunSettings settings;
  std::optional<SettingsError> settingsError;
  for (RegisteredCommand& command : registered) {
    CLI::App* sub = app.add_subcommand(command.name, command.help.description);
    sub->group(GroupTitle(command.help.group));
    CommandAction action = command.setup(*sub);
    std::string footer = sub->get_footer();
    sub->footer((footer.empty() ? "" : footer + "\n\n") + "Example:\n  " + command.help.example);
    sub->callback([&chosen, action] { chosen = action; });
    // A settings error waits until parsing ends, so that help still answers.
    sub->preparse_callback([&app, &settings, &settingsError](size_t) {
      try {
        settings = ApplySettings(app);
      } catch (const SettingsError& error) {
        settingsError = error;
      }
    });
  }

  // Set after the commands are added, which would otherwise inherit it.
  app.footer(
      std::string("Settings: an option wins over its variable, the variable over the user's "
                  "settings file (") +
      defaults.userSettingsFile + "), that over the machine's (" + defaults.machineSettingsFile +
      "), that over the default; `viruzedi impostazioni` shows them. "
      "`viruzedi COMMAND --help` explains a command.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // A broken settings file explains a missing --db better than CLI11 can.
    bool answered = dynamic_cast<const CLI::Success*>(&error) != nullptr;
    if (settingsError && !answered) {
      std::cerr << "viruzedi: " << settingsError->what() << "\n";
      return 2;
    }
    if (std::optional<std::string> typed = MistypedCommand(app); typed && !answered) {
      std::vector<std::string> names;
      for (const RegisteredCommand& command : registered) names.push_back(command.name);
      std::cerr << "viruzedi: " << UnknownCommandText(*typed, names) << "\n";
      return 2;
    }
    int status = app.exit(error);
    return status == 0 ? 0 : 2;
  }
  if (settingsError) {
    std::cerr << "viruzedi: " << settingsError->what() << "\n";
    return 2;
  }

  std::function<void(const RowProgress&)> rowObserver;
  if (StandardErrorIsTerminal()) rowObserver = ShowProgress;

  InstallStopSignals();
  IgnoreFileSizeSignal();
  auto platform = std::make_shared<CommandPlatform>(DefaultPlatform());
  Run run(platform, settings, rowObserver);
  int status = 0;
  try {
    chosen(run);
  } catch (const AutomationError& error) {
    if (progressShown) std::fputc('\n', stderr);
    progressShown = false;
    std::cerr << "viruzedi: errore " << error.number << ": " << error.description << "\n";
    status = 1;
  }
  if (progressShown) std::fputc('\n', stderr);
  if (std::optional<OperationOutcome> outcome = run.Outcome()) {
    ReportOutcome(*outcome);
    if (outcome->failed) status = 1;
  }
  run.Release();
  if (int signal = StopSignalReceived()) status = 128 + signal;
  return status;
}

}  // namespace
}  // namespace viruzedi::cli

int main(int argc, char** argv) {
  std::vector<std::string> arguments = viruzedi::ProgramArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return viruzedi::cli::Main(static_cast<int>(arguments.size()), pointers.data());
}
