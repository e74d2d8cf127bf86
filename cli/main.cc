// viruzedi [--letture DIR] [--com N=DEVICE]... [--terminale SETTING] COMMAND ...
//
// Exit status: 0 when the operation returned without a failure (warnings
// allowed), 1 when it ended through a failure (an error box, a time-out, an
// open failure, an automation error), 2 for a usage error, 128 + the signal
// (130, 143) when SIGINT or SIGTERM stopped it.
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>

#include <CLI/CLI.hpp>

#include "cli/Command.h"
#include "component/Database.h"
#include "platform/ChildProcess.h"
#include "platform/StopSignals.h"

namespace viruzedi::cli {

std::vector<RegisteredCommand>& RegisteredCommands() {
  static std::vector<RegisteredCommand> commands;
  return commands;
}

CommandRegistration::CommandRegistration(std::string name, std::string description,
                                         CommandSetup setup) {
  RegisteredCommands().push_back({std::move(name), std::move(description), std::move(setup)});
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

// Forwards to the real platform; a box ends an open progress line, and a
// stop signal is the operation's stop request.
class CommandPlatform : public ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;

  void MessageBox(const std::string& text, int style, const std::string& caption) override {
    if (progressShown) {
      std::fputc('\n', stderr);
      progressShown = false;
    }
    ForwardingPlatform::MessageBox(text, style, caption);
  }

  bool StopRequested() override { return StopSignalReceived() != 0; }
};

class Run : public CliRun {
 public:
  explicit Run(std::shared_ptr<CommandPlatform> platform) : platform_(std::move(platform)) {}
  Viruzedi& Component() override {
    if (!component_) component_ = std::make_unique<Viruzedi>(platform_);
    return *component_;
  }
  Platform& platform() override { return *platform_; }
  // How the component's operation ended; none when the command ran none.
  std::optional<OperationOutcome> Outcome() const {
    if (!component_) return std::nullopt;
    return component_->LastOutcome();
  }
  void Release() { component_.reset(); }

 private:
  std::shared_ptr<CommandPlatform> platform_;
  std::unique_ptr<Viruzedi> component_;
};

// The lines beside the boxes: where in a file a failure lies, and the rows
// that the user's table refused (dropped without an error by design, but
// the person who ran the download must hear of them).
void ReportOutcome(const OperationOutcome& outcome) {
  if (!outcome.detail.empty()) std::cerr << "viruzedi: " << outcome.detail << "\n";
  if (outcome.rowsRefused > 0) {
    std::cerr << "viruzedi: " << outcome.rowsRefused
              << (outcome.rowsRefused == 1 ? " riga rifiutata" : " righe rifiutate")
              << " da un vincolo della tabella\n";
  }
}

// Long downloads tell a person at a terminal that they are moving.
void ShowProgress(uint64_t rows) {
  if (rows % 100 != 0) return;
  std::fprintf(stderr, "\r%llu righe scritte", static_cast<unsigned long long>(rows));
  progressShown = true;
}

// N=DEVICE of --com as the variable's number and the device; none when N is
// not a port number as written by a person (1 to 255, no sign, no leading
// zero: "01" would set a variable that no port reads) or DEVICE is empty.
std::optional<std::pair<std::string, std::string>> PortSetting(const std::string& given) {
  std::string::size_type equals = given.find('=');
  if (equals == std::string::npos || equals + 1 == given.size()) return std::nullopt;
  std::string number = given.substr(0, equals);
  if (number.empty() || number.size() > 3 || number[0] == '0') return std::nullopt;
  for (char c : number) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  if (std::stoi(number) > 255) return std::nullopt;
  return std::make_pair(number, given.substr(equals + 1));
}

int Main(int argc, char** argv) {
  CLI::App app{"viruzedi: moves barcode reads from portable readers into an SQLite database"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Every command with its options");

  std::string letture, terminale;
  std::vector<std::string> ports;
  app.add_option("--letture", letture,
                 "Download folder for received files and markers (VIRUZEDI_LETTURE; "
                 "default $HOME/_Letture)");
  app.add_option("--com", ports,
                 "Device of serial port N, as N=DEVICE (VIRUZEDI_COM<N>; "
                 "default /dev/ttyS<N-1>); may be repeated");
  app.add_option("--terminale", terminale,
                 "Terminal link: dir:FOLDER or serial:DEVICE[,BAUD] (VIRUZEDI_TERMINALE)");

  CommandAction chosen;
  for (RegisteredCommand& registered : RegisteredCommands()) {
    CLI::App* command = app.add_subcommand(registered.name, registered.description);
    CommandAction action = registered.setup(*command);
    command->callback([&chosen, action] { chosen = action; });
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    int status = app.exit(error);
    return status == 0 ? 0 : 2;
  }

  // The global options become the environment of this run, so the reader
  // program and the infrared library see them too.
  if (!letture.empty()) SetEnvironmentValue("VIRUZEDI_LETTURE", letture);
  if (!terminale.empty()) SetEnvironmentValue("VIRUZEDI_TERMINALE", terminale);
  for (const std::string& port : ports) {
    std::optional<std::pair<std::string, std::string>> setting = PortSetting(port);
    if (!setting) {
      std::cerr << "viruzedi: --com takes N=DEVICE (N from 1 to 255, no leading zero; "
                   "DEVICE not empty), not \""
                << port << "\"\n";
      return 2;
    }
    SetEnvironmentValue("VIRUZEDI_COM" + setting->first, setting->second);
  }

  if (StandardErrorIsTerminal()) DBEngine::Instance().SetRowObserver(ShowProgress);

  InstallStopSignals();
  auto platform = std::make_shared<CommandPlatform>(DefaultPlatform());
  Run run(platform);
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

int main(int argc, char** argv) { return viruzedi::cli::Main(argc, argv); }
