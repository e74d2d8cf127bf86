// pen-simulator: a pen reader on a pseudo-terminal.
//
// Prints the device path to give the component as the first line of its
// standard output, then serves until it is terminated (or, with --once,
// until it has said "EMPTY" after its reads and no request followed for a
// second). The reads are the arguments, or one per line of --reads-file.
// Misbehaviour on demand: --silent, --answers N, --delay MS, --piece N,
// --lower-case, --cr-lf, --unplug-after N, --flood. --trace prints every
// request and answer.
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>

#include <CLI/CLI.hpp>

#include "devices/PenSimulator/PenReader.h"
#include "platform/PseudoTerminal.h"

int main(int argc, char** argv) {
  using namespace std::chrono_literals;
  CLI::App app{"A pen reader on a pseudo-terminal"};
  viruzedi::PenReaderOptions options;
  std::string readsFile;
  int delay = 0;
  bool silent = false, once = false, trace = false;
  app.add_option("READ", options.reads, "Stored reads, as code;sub-order;lot;quantity");
  app.add_option("--reads-file", readsFile, "A file with one stored read per line");
  app.add_flag("--silent", silent, "Answer nothing at all");
  app.add_option("--answers", options.answers, "Answer this many requests, then fall silent");
  app.add_option("--delay", delay, "Wait this many milliseconds before each answer")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--piece", options.piece, "Write each answer in pieces of this many bytes");
  app.add_flag("--lower-case", options.lowerCaseEmpty, "Say \"empty\" instead of \"EMPTY\"");
  app.add_flag("--cr-lf", options.crLf, "End answers with CR LF (the component waits for LF CR)");
  app.add_flag("--once", once, "End after saying \"EMPTY\" when no request follows for a second");
  app.add_flag("--trace", trace, "Print every request and answer");
  app.add_option("--unplug-after", options.unplugAfter,
                 "Answer this many requests, then go away on the next (the line hangs up)");
  app.add_flag("--flood", options.flood, "After the reads, answer with endless characters and no line end");
  CLI11_PARSE(app, argc, argv);

  if (!readsFile.empty()) {
    std::ifstream in(readsFile, std::ios::binary);
    if (!in) {
      std::cerr << "pen-simulator: cannot read " << readsFile << "\n";
      return 2;
    }
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      options.reads.push_back(line);
    }
  }
  if (silent) options.answers = 0;
  options.delay = std::chrono::milliseconds(delay);

  // Whoever reads our output may go away first; that must not end the reader.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    auto pty = viruzedi::PseudoTerminal::Open();
    std::cout << pty->SlavePath() << std::endl;
    viruzedi::PenReader reader(std::move(options));
    auto lastRequest = std::chrono::steady_clock::now();
    viruzedi::ServePenReader(
        *pty, reader,
        [&](const std::string& event) {
          if (event == "request") lastRequest = std::chrono::steady_clock::now();
          if (trace) std::cout << event << std::endl;
        },
        [&] {
          // Lingering after "EMPTY" lets the component read it before this
          // side of the line goes away.
          return !once || !reader.Emptied() ||
                 std::chrono::steady_clock::now() - lastRequest < 1s;
        });
  } catch (const std::exception& error) {
    std::cerr << "pen-simulator: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
