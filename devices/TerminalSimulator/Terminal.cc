#include "devices/TerminalSimulator/Terminal.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/ByteChannel.h"
#include "viruzedi/Platform.h"
#include "platform/PseudoTerminal.h"
#include "platform/PseudoTerminalChannel.h"

namespace viruzedi {
namespace {

constexpr char kCancel[] = "\x18\x18\x18\x18\x18\x18\x18\x18";

// Ends the simulator as if the terminal were taken away. Not a
// std::exception, so that no handler of a transfer mistakes it for a
// failure to report and carry on after.
struct Unplugged {};

// The terminal's side of the line, with the misbehaviour it was asked for.
// Counts restart at each transfer.
class TerminalChannel : public ByteChannel {
 public:
  TerminalChannel(PseudoTerminal& terminal, Platform& platform, const TerminalOptions& options)
      : line_(terminal, platform), options_(options) {}

  void StartTransfer() {
    written_ = 0;
    read_ = 0;
    writes_ = 0;
  }

  MonotonicTime Now() override { return line_.Now(); }

  void Write(std::string_view bytes) override {
    ++writes_;
    // Once unplugged, nothing more goes out: not even the cancel that a
    // failing transfer sends on its way out.
    if (options_.unplugAtWrite > 0 && writes_ >= options_.unplugAtWrite) throw Unplugged{};
    if (options_.cancelAtWrite > 0 && writes_ == options_.cancelAtWrite) {
      line_.Write(kCancel);
      throw std::runtime_error("cancelled as asked");
    }
    std::string out(bytes);
    Spoil(out, written_);
    size_t piece = options_.piece > 0 ? options_.piece : out.size();
    for (size_t offset = 0; offset < out.size(); offset += piece) {
      if (options_.delay.count() > 0) std::this_thread::sleep_for(options_.delay);
      line_.Write(std::string_view(out).substr(offset, piece));
    }
  }

 protected:
  std::string ReadFromLine(MonotonicTime deadline) override {
    std::string bytes = line_.Read(deadline);
    Spoil(bytes, read_);
    return bytes;
  }

 private:
  void Spoil(std::string& bytes, uint64_t& count) {
    uint64_t position = options_.corruptByte;
    if (position > count && position <= count + bytes.size()) {
      bytes[position - count - 1] ^= 0x5A;
    }
    count += bytes.size();
  }

  PseudoTerminalChannel line_;
  const TerminalOptions& options_;
  uint64_t written_ = 0;
  uint64_t read_ = 0;
  int writes_ = 0;
};

// The next request line (without its end), or nothing before `deadline`.
// What follows the line stays on the channel for the transfer.
std::optional<std::string> ReadRequest(ByteChannel& channel, MonotonicTime deadline) {
  std::string line;
  while (true) {
    std::string bytes = channel.Read(deadline);
    if (bytes.empty()) {
      if (!line.empty()) channel.PutBack(line);
      return std::nullopt;
    }
    line += bytes;
    std::string::size_type end = line.find_first_of("\r\n");
    if (end != std::string::npos) {
      channel.PutBack(line.substr(end + 1));
      line.resize(end);
      return line;
    }
    // Not a request: the rest of a transfer, or noise.
    if (line.size() > 256) line.clear();
  }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

// "RICEVI <n>": n is a number, so it can never name another file.
std::optional<std::string> RequestedNumber(const std::string& request) {
  const std::string prefix = "RICEVI ";
  if (request.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  std::string number = request.substr(prefix.size());
  size_t digits = number.size() > 0 && number[0] == '-' ? 1 : 0;
  if (number.size() == digits || number.size() > 6) return std::nullopt;
  for (size_t i = digits; i < number.size(); ++i) {
    if (number[i] < '0' || number[i] > '9') return std::nullopt;
  }
  return number;
}

std::string Serve(TerminalChannel& channel, const TerminalOptions& options,
                  const std::string& request) {
  if (std::optional<std::string> number = RequestedNumber(request)) {
    const std::string name = *number + ".txt";
    const std::string path = options.folder + "/" + name;
    std::optional<std::string> contents = ReadWholeFile(path);
    if (!contents) {
      YmodemSendNothing(channel, options.timing);
      return "no " + name + ": empty batch";
    }
    bool removed = false;
    YmodemSendFile(channel, options.timing, {name, {}, 0}, *contents, [&] {
      std::error_code ignored;
      removed = options.removeSent && std::filesystem::remove(path, ignored);
    });
    return "sent " + name + " (" + std::to_string(contents->size()) + " bytes)" +
           (removed ? ", removed" : "");
  }
  if (request == "INVIA") {
    std::string kept;
    auto info = YmodemReceiveFile(channel, options.timing, [&](const YmodemFileInfo& announced) {
      kept = TerminalFileName(announced.name);
      return options.folder + "/" + kept;
    });
    if (!info) return "nothing received";
    return "received " + kept;
  }
  return "ignored";
}

}  // namespace

std::string TerminalFileName(const std::string& announced) {
  std::string name = announced.substr(announced.find_last_of("/\\") + 1);
  if (name.empty() || name == "." || name == "..") {
    throw std::invalid_argument("unusable file name \"" + announced + "\"");
  }
  return name;
}

void ServeTerminal(PseudoTerminal& terminal, Platform& platform, const TerminalOptions& options,
                   const std::function<void(const std::string&)>& report,
                   const std::function<bool()>& keepGoing) {
  using namespace std::chrono_literals;
  TerminalChannel channel(terminal, platform, options);
  while (keepGoing()) {
    std::optional<std::string> request = ReadRequest(channel, channel.Now() + 250ms);
    if (!request || request->empty()) continue;
    if (options.silent) {
      report(*request + ": silent");
      continue;
    }
    if (options.answerAfter.count() > 0) std::this_thread::sleep_for(options.answerAfter);
    channel.StartTransfer();
    try {
      report(*request + ": " + Serve(channel, options, *request));
    } catch (const std::exception& failure) {
      report(*request + ": failed: " + failure.what());
    } catch (const Unplugged&) {
      // The caller ends, and the line hangs up with it.
      report(*request + ": unplugged");
      return;
    }
  }
}

}  // namespace viruzedi
