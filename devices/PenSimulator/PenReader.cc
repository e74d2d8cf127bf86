#include "devices/PenSimulator/PenReader.h"

#include <thread>

#include "platform/PseudoTerminal.h"

namespace viruzedi {

using namespace std::chrono_literals;

std::optional<std::string> PenReader::Answer(char request) {
  if (request != 'c') return std::nullopt;
  if (options_.answers >= 0 && answered_ >= options_.answers) return std::nullopt;
  ++answered_;
  std::string text;
  if (next_ < options_.reads.size()) {
    text = options_.reads[next_++];
  } else {
    text = options_.lowerCaseEmpty ? "empty" : "EMPTY";
    emptied_ = true;
  }
  return text + (options_.crLf ? "\r\n" : "\n\r");
}

void ServePenReader(PseudoTerminal& pty, PenReader& reader,
                    const std::function<void(const std::string&)>& report,
                    const std::function<bool()>& keepGoing) {
  const PenReaderOptions& options = reader.options();
  while (keepGoing()) {
    std::string requests = pty.Read(PseudoTerminal::Clock::now() + 100ms);
    for (char request : requests) {
      report(request == 'c' ? "request" : "byte " + std::to_string(static_cast<unsigned char>(request)));
      if (reader.UnplugsAt(request)) {
        // The caller closes the line by ending.
        report("unplugged");
        return;
      }
      if (options.flood && request == 'c' && !reader.ReadsLeft()) {
        // Until the component stops reading and the line's buffer fills:
        // then the write blocks until the simulator is ended.
        const std::string noise(1024, 'X');
        while (keepGoing()) pty.Write(noise);
        return;
      }
      std::optional<std::string> answer = reader.Answer(request);
      if (!answer) continue;
      if (options.delay.count() > 0) std::this_thread::sleep_for(options.delay);
      if (options.piece == 0) {
        pty.Write(*answer);
      } else {
        for (std::size_t at = 0; at < answer->size(); at += options.piece) {
          if (at > 0) std::this_thread::sleep_for(20ms);
          pty.Write(answer->substr(at, options.piece));
        }
      }
      report("answer " + answer->substr(0, answer->size() - 2));
    }
  }
}

}  // namespace viruzedi
