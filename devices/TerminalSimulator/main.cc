// terminal-simulator: a portable terminal on a pseudo-terminal, moving the
// files of a folder with YMODEM.
//
// Prints the device path to give the component as the first line of its
// standard output, then serves until it is terminated (SIGTERM ends it at
// once, even mid-transfer, as pulling a terminal's cable would).
// Misbehaviour on demand: --corrupt N, --piece N with --delay MS,
// --cancel-at N, --unplug-at N, --silent, --answer-after MS. --remove-sent hands each file over
// (removes it once delivered) instead of keeping it.
// --trace prints one line per request and its outcome.
#include <csignal>
#include <iostream>

#include <CLI/CLI.hpp>

#include "devices/TerminalSimulator/Terminal.h"
#include "viruzedi/Platform.h"
#include "platform/PseudoTerminal.h"

int main(int argc, char** argv) {
  CLI::App app{"A portable terminal on a pseudo-terminal"};
  viruzedi::TerminalOptions options;
  int delay = 0;
  int answerAfter = 0;
  bool trace = false;
  app.add_option("--folder", options.folder, "The terminal's files (<n>.txt)")->required();
  app.add_option("--corrupt", options.corruptByte,
                 "Spoil the byte at this position of each transfer, each way");
  app.add_option("--piece", options.piece, "Write in pieces of this many bytes");
  app.add_option("--delay", delay, "Wait this many milliseconds before each piece")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--cancel-at", options.cancelAtWrite,
                 "Cancel each transfer in place of its write number N");
  app.add_flag("--silent", options.silent, "Read the requests and answer nothing");
  app.add_option("--answer-after", answerAfter,
                 "Begin each transfer this many milliseconds after its request")
      ->check(CLI::NonNegativeNumber);
  app.add_flag("--remove-sent", options.removeSent,
               "Remove a file once the workstation acknowledged its end (else keep it)");
  app.add_option("--unplug-at", options.unplugAtWrite,
                 "Go away (the line hangs up) in place of the first transfer's write number N");
  app.add_flag("--trace", trace, "Print one line per request and its outcome");
  CLI11_PARSE(app, argc, argv);
  options.delay = std::chrono::milliseconds(delay);
  options.answerAfter = std::chrono::milliseconds(answerAfter);
  // A spoiled block's rest comes at once on a pseudo-terminal.
  options.timing.quietTime = std::chrono::milliseconds(200);

  std::signal(SIGPIPE, SIG_IGN);
  try {
    auto pty = viruzedi::PseudoTerminal::Open();
    std::cout << pty->SlavePath() << std::endl;
    viruzedi::ServeTerminal(
        *pty, *viruzedi::DefaultPlatform(), options,
        [&](const std::string& event) {
          if (trace) std::cout << event << std::endl;
        },
        [] { return true; });  // until terminated
  } catch (const std::exception& error) {
    std::cerr << "terminal-simulator: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
