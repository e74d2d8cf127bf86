// infrared-simulator: an infrared reader on a pseudo-terminal.
//
// Prints the device path to give the component as the first line of its
// standard output, then serves until it is terminated. Each record to hold
// is given with --record (repeatable) or one per line of --records-file.
// Misbehaviour on demand: --late N, --garbled N (repeatable), --silent,
// --lower-case, --unplug-at N. "erased N" is printed when the reader is told to erase its
// reads; --trace prints every command and reply as well.
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>

#include <CLI/CLI.hpp>

#include "devices/InfraredSimulator/InfraredReader.h"
#include "platform/PseudoTerminal.h"

int main(int argc, char** argv) {
  CLI::App app{"An infrared reader on a pseudo-terminal"};
  viruzedi::InfraredReaderOptions options;
  std::vector<int32_t> late, garbled;
  std::string recordsFile;
  bool trace = false;
  app.add_option("--record", options.records, "A stored record (repeatable)");
  app.add_option("--records-file", recordsFile, "A file with one stored record per line");
  app.add_option("--late", late, "Answer \"SEGUE N\" only after 1.2 s (repeatable)");
  app.add_option("--garbled", garbled,
                 "Answer \"SEGUE N\" first with a reply that is no record (repeatable)");
  app.add_flag("--silent", options.silent, "Answer nothing at all");
  app.add_flag("--lower-case", options.lowerCase, "Answer \"ack\" and \"eof\"");
  app.add_flag("--trace", trace, "Print every command and reply");
  app.add_option("--unplug-at", options.unplugAt,
                 "Go away (the line hangs up) when asked for \"SEGUE N\"");
  CLI11_PARSE(app, argc, argv);

  if (!recordsFile.empty()) {
    std::ifstream in(recordsFile);
    if (!in) {
      std::cerr << "infrared-simulator: cannot read " << recordsFile << "\n";
      return 2;
    }
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) options.records.push_back(line);
    }
  }
  options.late.insert(late.begin(), late.end());
  options.garbled.insert(garbled.begin(), garbled.end());

  // Whoever reads our output may go away first; that must not end the reader.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    auto pty = viruzedi::PseudoTerminal::Open();
    std::cout << pty->SlavePath() << std::endl;
    viruzedi::InfraredReader reader(std::move(options));
    viruzedi::ServeInfraredReader(
        *pty, reader,
        [trace](const std::string& event) {
          if (trace || event.rfind("erased", 0) == 0) std::cout << event << std::endl;
        },
        [] { return true; });
  } catch (const std::exception& error) {
    std::cerr << "infrared-simulator: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
