#include "devices/ReaderSimulator/ReaderDevice.h"

#include <algorithm>
#include <chrono>

#include "base/Text.h"
#include "platform/PseudoTerminal.h"
#include "platform/Windows1252.h"

namespace viruzedi {

namespace {

bool IsDumpRequest(std::string request) {
  // A line feed or blanks from a terminal-minded sender are not part of it.
  std::erase_if(request, [](char c) { return c == '\n' || c == ' '; });
  return EqualsIgnoreCase(request, "DUMP");
}

}  // namespace

std::vector<std::string> SamplePlainReads() {
  return {"8001234;5", "8001235;12;17", "8001236;3,5;18", "8001237;1"};
}

std::vector<std::string> SampleGs1Reads() {
  return {
      "(02)08012345678907(37)12(15)250315(10)LOT42;380123450000000013",
      "(02)08012345612345(37)4(15)261200(10)L-0007;380123450000000020",
      "(15)270101(02)08012345699995(37)60(10)L2027-B;380123450000000037",
  };
}

ReaderDevice::ReaderDevice(ReaderDeviceOptions options) : options_(std::move(options)) {}

std::string ReaderDevice::Receive(std::string_view bytes) {
  pending_.append(bytes);
  std::string answer;
  std::string::size_type end;
  while ((end = pending_.find('\r')) != std::string::npos) {
    std::string request = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!IsDumpRequest(request)) continue;
    ++dumps_;
    if (options_.silent) continue;
    answer += Dump();
    if (options_.emptiedByDump) options_.reads.clear();
  }
  return answer;
}

std::string ReaderDevice::Dump() const {
  std::string bytes;
  for (size_t i = 0; i < options_.reads.size(); ++i) {
    bytes += Utf8ToWindows1252(options_.reads[i]);
    bool last = i + 1 == options_.reads.size();
    if (!(last && options_.lastWithoutEnd)) bytes += options_.lineEnd;
  }
  return bytes;
}

void ServeReaderDevice(PseudoTerminal& pty, ReaderDevice& reader,
                       const std::function<void(const std::string&)>& log,
                       const std::function<bool()>& keepGoing) {
  while (keepGoing()) {
    std::string received = pty.Read(PseudoTerminal::Clock::now() + std::chrono::seconds(1));
    if (received.empty()) continue;
    const int dumpsBefore = reader.dumps();
    const size_t held = reader.reads();
    std::string answer = reader.Receive(received);
    for (int i = dumpsBefore; i < reader.dumps(); ++i) log("< DUMP");
    if (answer.empty()) continue;
    pty.Write(answer);
    log("> " + std::to_string(held) + " letture");
    if (reader.floods()) {
      // Until the line's buffer fills once nobody reads: the write then
      // blocks until the simulator is ended.
      const std::string noise(1024, 'X');
      while (keepGoing()) pty.Write(noise);
    }
  }
}

}  // namespace viruzedi
