// DO_Duri.exe: the reader program that the component starts. It asks the
// reader on serial port <port> for every read ("DUMP" + CR), keeps each
// line the reader sends (ended by CR, LF or both) until <timeout> seconds
// pass without a byte, and leaves the reads in the reader file.
//
// The port's device is VIRUZEDI_COM<port>, or the system's own (/dev/ttyS<port - 1>,
// \\.\COM<port>); a port below 1 has none.
// Exit status: 0 when the dialogue ended (with reads or without), 2 for an
// argument list it cannot read, 3 when the port cannot be opened, 4 when
// another program holds it, 1 for anything else: the reader file failed,
// the reader sent a line too long to be a read (the reads before it are
// kept).
// Whenever no reads arrived, the reader file is removed in the modes that
// replace it (Sovrascrivi, Auto) and set aside in Rinomina, so that an
// earlier file is never taken for this run's reads. A stop (SIGTERM, SIGINT,
// SIGHUP; on Windows a console control event) ends it with the reader file
// as it was, unless its new content was already being put in place (then
// that finishes first).
// Errors are printed on standard error when <show errors> is 1; with
// <show window> the progress is printed there too, and with <show file>
// the reader file is printed on standard output once written.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/LineReceiver.h"
#include "devices/DoDuri/Arguments.h"
#include "devices/DoDuri/ReaderFile.h"
#include "platform/ProgramArguments.h"
#include "platform/SerialDevice.h"
#include "platform/StopHold.h"

namespace viruzedi::doduri {
namespace {

enum ExitStatus {
  kDone = 0,
  kOtherFailure = 1,
  kBadArguments = 2,
  kPortNotOpened = 3,
  kPortBusy = 4,
};

std::string PortDevice(int port) {
  if (port < 1) return "";
  std::string name = "VIRUZEDI_COM" + std::to_string(port);
  const char* device = std::getenv(name.c_str());
  if (device && *device) return device;
  return SystemSerialDevice(port);
}

// "yyyymmdd-hhnnss" of the local time now.
std::string Stamp() {
  // One thread: the C library's shared result is safe here.
  std::time_t now = std::time(nullptr);
  const std::tm& local = *std::localtime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

// A reader that sends more than a line's worth without a line end is
// misbehaving (wrong speed, noise) and would grow the line without bound:
// the same limit as the component's own line receiver.
constexpr size_t kLongestLine = kMaxReceivedLine;

struct DumpResult {
  std::vector<std::string> lines;
  bool overflow = false;  // a line passed kLongestLine: the dump was cut there
};

// Every line the reader sends until it has been silent for `silence`.
// Empty lines (the second half of a CR LF, a blank line) are no reads; a
// last line without its end is one all the same. A line that grows past
// kLongestLine ends the dump, keeping the lines before it.
DumpResult Dump(SerialDevice& device, std::chrono::seconds silence) {
  device.DiscardInput();  // a late answer to an earlier request is not ours
  device.Write("DUMP\r");
  DumpResult result;
  std::string current;
  while (true) {
    std::string chunk = device.Read(SerialDevice::Clock::now() + silence);
    if (chunk.empty()) break;
    for (char c : chunk) {
      if (c == '\r' || c == '\n') {
        if (!current.empty()) result.lines.push_back(std::move(current));
        current.clear();
      } else if (current.size() == kLongestLine) {
        result.overflow = true;
        return result;
      } else {
        current += c;
      }
    }
  }
  if (!current.empty()) result.lines.push_back(std::move(current));
  return result;
}

int PortStatus(const AutomationError& error) {
  switch (error.number) {
    case kInvalidPortNumber:
    case kPermissionDenied: return kPortNotOpened;
    case kPortAlreadyOpen: return kPortBusy;
    default: return kOtherFailure;
  }
}

void Forget(const Arguments& arguments) {
  StopHold held;
  ForgetReaderFile(arguments.readerFile, arguments.mode, Stamp(),
                   [&held] { return held.StopArrived(); });
}

int Run(const Arguments& arguments) {
  auto progress = [&arguments](const std::string& text) {
    if (arguments.showWindow) std::cerr << "DO_Duri: " << text << std::endl;
  };
  const std::string devicePath = PortDevice(arguments.port);
  DumpResult dump;
  try {
    auto device = SerialDevice::Open(devicePath);
    device->Configure(LineSettings{arguments.baud, 'n', 8, 1});
    device->SetModemLines(true, true);
    progress("porta " + devicePath + " aperta a " + std::to_string(arguments.baud));
    dump = Dump(*device, std::chrono::seconds(arguments.timeoutSeconds));
  } catch (const AutomationError& error) {
    if (arguments.showErrors) std::cerr << "DO_Duri: " << error.description << std::endl;
    // A stale file must not pass for this run's reads.
    Forget(arguments);
    return PortStatus(error);
  }
  const std::vector<std::string>& lines = dump.lines;
  progress(std::to_string(lines.size()) + " letture ricevute");
  // The reads before the overflow are whole and are kept; the overflow is
  // still a failure, told by the exit status.
  const int status = dump.overflow ? kOtherFailure : kDone;
  if (dump.overflow && arguments.showErrors) {
    std::cerr << "DO_Duri: il lettore ha inviato più di " << kLongestLine
              << " caratteri senza fine riga: lettura interrotta" << std::endl;
  }

  if (lines.empty()) {
    Forget(arguments);
    return status;
  }
  std::string lineEnd = std::string(arguments.cr ? "\r" : "") + (arguments.lf ? "\n" : "");
  if (lineEnd.empty()) lineEnd = "\r\n";
  {
    StopHold held;
    WriteReaderFile(arguments.readerFile, lines, arguments.mode, lineEnd, Stamp(),
                    [&held] { return held.StopArrived(); });
  }
  progress("letture scritte in " + arguments.readerFile);
  if (arguments.showFile) {
    std::ifstream in(arguments.readerFile, std::ios::binary);
    std::cout << in.rdbuf() << std::flush;
  }
  return status;
}

}  // namespace
}  // namespace viruzedi::doduri

int main(int argc, char** argv) {
  using namespace viruzedi::doduri;
  Arguments arguments;
  try {
    std::vector<std::string> given = viruzedi::ProgramArguments(argc, argv);
    if (!given.empty()) given.erase(given.begin());  // the program's name
    arguments = ParseArguments(given);
  } catch (const UsageError& error) {
    std::cerr << "DO_Duri: " << error.what() << "\n";
    // Nothing is received with settings it cannot use: a stale file must
    // not pass for this run's reads.
    if (error.mode) {
      try {
        Arguments known;
        known.readerFile = error.readerFile;
        known.mode = *error.mode;
        Forget(known);
      } catch (const std::exception& fileError) {
        std::cerr << "DO_Duri: " << fileError.what() << "\n";
      }
    }
    return kBadArguments;
  }
  try {
    return Run(arguments);
  } catch (const std::exception& error) {
    if (arguments.showErrors) std::cerr << "DO_Duri: " << error.what() << "\n";
    return kOtherFailure;
  }
}
