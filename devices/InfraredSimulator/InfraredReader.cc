#include "devices/InfraredSimulator/InfraredReader.h"

#include <charconv>
#include <thread>

#include "platform/PseudoTerminal.h"
#include "platform/Windows1252.h"

namespace viruzedi {
namespace {

// "WORD n" exactly: one space, then decimal digits. The reader is strict, so
// a command with the wrong spacing goes unanswered.
std::optional<int32_t> NumberAfter(std::string_view command, std::string_view word) {
  if (command.size() <= word.size() + 1 || command.substr(0, word.size()) != word ||
      command[word.size()] != ' ') {
    return std::nullopt;
  }
  std::string_view digits = command.substr(word.size() + 1);
  int32_t number = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size() || number < 0) {
    return std::nullopt;
  }
  return number;
}

}  // namespace

InfraredReader::InfraredReader(InfraredReaderOptions options) : options_(std::move(options)) {}

std::optional<InfraredReader::Answer> InfraredReader::Respond(std::string_view command) {
  if (options_.silent) return std::nullopt;
  const char* endOfData = options_.lowerCase ? "eof" : "EOF";
  if (command == "LEGGI1") {
    session_ = true;
    return Answer{options_.lowerCase ? "ack" : "ACK"};
  }
  if (!session_) return std::nullopt;
  if (command == "ELIMINA") {
    options_.records.clear();
    ++erasures_;
    session_ = false;
    return std::nullopt;
  }
  if (auto n = NumberAfter(command, "SEGUE")) {
    if (static_cast<size_t>(*n) >= options_.records.size()) return Answer{endOfData};
    Answer answer{options_.records[*n]};
    if (options_.garbled.count(*n) && garbledSent_.insert(*n).second) {
      answer.reply = kGarbledReply;
    }
    if (options_.late.count(*n)) answer.delay = kLateReply;
    return answer;
  }
  if (auto n = NumberAfter(command, "RIPROVA")) {
    if (static_cast<size_t>(*n) >= options_.records.size()) return Answer{endOfData};
    return Answer{options_.records[*n]};
  }
  return std::nullopt;
}

bool InfraredReader::UnplugsAt(std::string_view command) const {
  auto n = NumberAfter(command, "SEGUE");
  return options_.unplugAt >= 0 && n && *n == options_.unplugAt;
}

void ServeInfraredReader(PseudoTerminal& pty, InfraredReader& reader,
                         const std::function<void(const std::string&)>& log,
                         const std::function<bool()>& keepGoing) {
  std::string received;
  while (keepGoing()) {
    received += pty.Read(PseudoTerminal::Clock::now() + std::chrono::seconds(1));
    std::string::size_type end;
    while ((end = received.find('\r')) != std::string::npos) {
      // The reader speaks the workstation's code page; its records are
      // held in UTF-8.
      std::string command = Windows1252ToUtf8(received.substr(0, end));
      received.erase(0, end + 1);
      // A line feed from a terminal-minded sender is not part of a command.
      std::erase(command, '\n');
      log("< " + command);
      if (reader.UnplugsAt(command)) {
        // The caller closes the line by ending.
        log("unplugged");
        return;
      }
      size_t stored = reader.stored();
      int erasures = reader.erasures();
      std::optional<InfraredReader::Answer> answer = reader.Respond(command);
      if (reader.erasures() > erasures) log("erased " + std::to_string(stored));
      if (!answer) continue;
      if (answer->delay.count() > 0) std::this_thread::sleep_for(answer->delay);
      pty.Write(Utf8ToWindows1252(answer->reply) + "\r");
      log("> " + answer->reply);
    }
  }
}

}  // namespace viruzedi
