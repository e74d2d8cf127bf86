// A simulated reader for the reader program: it holds its reads and, asked
// "DUMP" + CR, sends every one of them, each ended by its line end.
// Anything else it receives is ignored, as a real reader ignores what it
// cannot parse. Reads are given in UTF-8 and sent in the reader's code page
// (Windows-1252), as a real reader's bytes arrive.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace viruzedi {

class PseudoTerminal;

struct ReaderDeviceOptions {
  std::vector<std::string> reads;
  std::string lineEnd = "\r\n";  // "\r\n", "\r" or "\n"
  bool silent = false;           // never answers
  bool lastWithoutEnd = false;   // the last read is sent without a line end
  // After the reads, characters without a line end that never stop: a
  // reader on the wrong speed, a line full of noise.
  bool flood = false;
  // Forgets its reads once it has sent them, as a reader that empties
  // itself with each dump; otherwise it sends them again at every request.
  bool emptiedByDump = false;
};

// Reads of the plain layout (article code;quantity[;lot id]) and of GS1
// logistics labels (element string;SSCC), for the demo and for tests.
std::vector<std::string> SamplePlainReads();
std::vector<std::string> SampleGs1Reads();

class ReaderDevice {
 public:
  explicit ReaderDevice(ReaderDeviceOptions options);

  // Takes bytes the reader received; returns the bytes it sends back
  // ("" when no complete "DUMP" request is among them).
  std::string Receive(std::string_view bytes);

  int dumps() const { return dumps_; }
  bool floods() const { return options_.flood && !options_.silent; }
  size_t reads() const { return options_.reads.size(); }

 private:
  std::string Dump() const;

  ReaderDeviceOptions options_;
  std::string pending_;
  int dumps_ = 0;
};

// Serves the reader on the simulator's side of a pseudo-terminal until
// `keepGoing` returns false (it is asked at least once a second). `log`
// receives "< DUMP" for each request and "> N letture" for each answer.
void ServeReaderDevice(PseudoTerminal& pty, ReaderDevice& reader,
                       const std::function<void(const std::string&)>& log,
                       const std::function<bool()>& keepGoing);

}  // namespace viruzedi
