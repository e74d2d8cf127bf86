// reader-simulator: a reader on a pseudo-terminal for the reader program.
//
// Prints the device path to give the component as the first line of its
// standard output, then serves until it is terminated. Reads are given with
// --lettura (repeatable) or one per line of --file-letture; without either,
// sample reads of the plain layout, or of GS1 labels with --gs1.
// --silenzio answers nothing; --fine chooses the line end (crlf, cr, lf);
// --ultima-senza-fine leaves the last read without one; --svuota empties
// the reader with its first dump; --traccia prints every request and answer.
#include <sys/prctl.h>

#include <csignal>
#include <fstream>
#include <iostream>

#include <CLI/CLI.hpp>

#include "devices/ReaderSimulator/ReaderDevice.h"
#include "platform/PseudoTerminal.h"

int main(int argc, char** argv) {
  CLI::App app{"A reader on a pseudo-terminal that answers \"DUMP\" with its reads"};
  viruzedi::ReaderDeviceOptions options;
  std::string readsFile, lineEnd = "crlf";
  bool gs1 = false, trace = false;
  app.add_option("--lettura", options.reads, "A stored read (repeatable)");
  app.add_option("--file-letture", readsFile, "A file with one stored read per line (UTF-8)");
  app.add_flag("--gs1", gs1, "Sample reads of GS1 logistics labels instead of plain ones");
  app.add_flag("--silenzio", options.silent, "Answer nothing at all");
  app.add_option("--fine", lineEnd, "Line end of each read: crlf, cr or lf")
      ->check(CLI::IsMember({"crlf", "cr", "lf"}));
  app.add_flag("--ultima-senza-fine", options.lastWithoutEnd,
               "Send the last read without its line end");
  app.add_flag("--traccia", trace, "Print every request and answer");
  app.add_flag("--svuota", options.emptiedByDump,
               "Forget the reads once sent: the next DUMP finds the reader empty");
  app.add_flag("--inonda", options.flood,
               "After the reads, send characters without a line end that never stop");
  CLI11_PARSE(app, argc, argv);

  if (!readsFile.empty()) {
    std::ifstream in(readsFile);
    if (!in) {
      std::cerr << "reader-simulator: cannot read " << readsFile << "\n";
      return 2;
    }
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      options.reads.push_back(line);
    }
  } else if (options.reads.empty()) {
    options.reads = gs1 ? viruzedi::SampleGs1Reads() : viruzedi::SamplePlainReads();
  }
  options.lineEnd = lineEnd == "cr" ? "\r" : lineEnd == "lf" ? "\n" : "\r\n";

  // A simulator left behind by a test or demo that died goes with it, and
  // whoever reads our output may go away first without ending us.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  std::signal(SIGPIPE, SIG_IGN);
  try {
    auto pty = viruzedi::PseudoTerminal::Open();
    std::cout << pty->SlavePath() << std::endl;
    viruzedi::ReaderDevice reader(std::move(options));
    viruzedi::ServeReaderDevice(
        *pty, reader,
        [trace](const std::string& event) {
          if (trace) std::cout << event << std::endl;
        },
        [] { return true; });
  } catch (const std::exception& error) {
    std::cerr << "reader-simulator: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
