// A simulated portable terminal on a serial line: it keeps its files in a
// folder and moves them with YMODEM when the workstation asks.
//
// Requests arrive as lines ended by CR (LF is taken too):
//   "RICEVI <n>"  -> sends its file "<n>.txt" as a batch of one file, or an
//                    empty batch when it has no such file (with removeSent,
//                    the file is gone once delivered)
//   "INVIA"       -> receives one file into its folder, under the name the
//                    batch gives (its last path element only)
// Anything else is ignored, as a real terminal ignores what it cannot parse.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Ymodem.h"

namespace viruzedi {

class Platform;
class PseudoTerminal;

struct TerminalOptions {
  std::string folder;  // the terminal's files
  // Line noise: the byte at this position (from 1) of each transfer is
  // spoiled, once going out and once coming in; 0 for a clean line.
  uint64_t corruptByte = 0;
  // A slow terminal: every write goes out in pieces of this many bytes
  // (0: whole), each after this pause.
  size_t piece = 0;
  std::chrono::milliseconds delay{0};
  // The terminal gives up: its write number N (from 1) of each transfer is a
  // cancel (CAN CAN) instead; 0 never.
  int cancelAtWrite = 0;
  // The terminal is unplugged (the line hangs up) in place of its write
  // number N of the first transfer; 0 never.
  int unplugAtWrite = 0;
  // Reads the requests and answers nothing.
  bool silent = false;
  // A terminal whose transfer program starts slowly: each transfer begins
  // this long after its request.
  std::chrono::milliseconds answerAfter{0};
  // Drops its copy of a file as soon as the workstation acknowledged the
  // file's end, as a terminal that hands its files over does; otherwise it
  // keeps every file, to send again when asked.
  bool removeSent = false;
  YmodemTiming timing;
};

// Serves requests on `terminal` while `keepGoing` says so (asked between
// requests, at least every quarter second), or until it is unplugged.
// `report` hears one line per request and its outcome.
void ServeTerminal(PseudoTerminal& terminal, Platform& platform, const TerminalOptions& options,
                   const std::function<void(const std::string&)>& report,
                   const std::function<bool()>& keepGoing);

// The file name under which a received file is kept: the last element of
// the name the batch gives. Throws std::invalid_argument when that leaves
// no usable name ("", ".", "..").
std::string TerminalFileName(const std::string& announced);

}  // namespace viruzedi
