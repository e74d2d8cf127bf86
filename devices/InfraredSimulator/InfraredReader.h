// A simulated infrared reader: the commands it understands, the replies it
// gives, and the misbehaviour a test or a demo can ask of it.
//
// Commands arrive ended by CR; every reply is sent ended by CR.
//   "LEGGI1"        -> "ACK" (starts a reading session)
//   "SEGUE <n>"     -> stored record n, or "EOF" past the last one
//   "RIPROVA <n>"   -> stored record n again (never late, never garbled)
//   "ELIMINA"       -> no reply; the stored records are erased
// Anything else, or a request outside a session, gets no reply, as a real
// reader ignores what it cannot parse. Records are held in UTF-8 and go over
// the wire in Windows-1252, as a real reader sends them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace viruzedi {

class PseudoTerminal;

struct InfraredReaderOptions {
  std::vector<std::string> records;
  std::set<int32_t> late;     // "SEGUE n" answered only after kLateReply
  std::set<int32_t> garbled;  // the first answer to "SEGUE n" is not a record
  bool silent = false;        // answers nothing at all
  bool lowerCase = false;     // "ack" and "eof"
  // "SEGUE n" with this n makes the reader go away (the line hangs up);
  // negative: never.
  int32_t unplugAt = -1;
};

class InfraredReader {
 public:
  // After the dialogue's one-second resend point, before the link
  // library's 1.5-second read limit.
  static constexpr std::chrono::milliseconds kLateReply{1200};
  static constexpr const char* kGarbledReply = "XQZ";

  struct Answer {
    std::string reply;  // without its CR
    std::chrono::milliseconds delay{0};
  };

  explicit InfraredReader(InfraredReaderOptions options);

  // The answer to one command (given without its CR); none when the reader
  // stays silent.
  std::optional<Answer> Respond(std::string_view command);

  // How many times the reader was told to erase its records.
  int erasures() const { return erasures_; }
  size_t stored() const { return options_.records.size(); }
  // Whether the reader is to go away instead of answering `command`.
  bool UnplugsAt(std::string_view command) const;

 private:
  InfraredReaderOptions options_;
  bool session_ = false;
  int erasures_ = 0;
  std::set<int32_t> garbledSent_;
};

// Serves the reader on the simulator's side of a pseudo-terminal until
// `keepGoing` returns false (it is asked at least once a second), or until
// the reader is unplugged. `log` receives one line per event: "< command"
// and "> reply", "erased N" when the reader is told to erase its N records,
// "unplugged".
void ServeInfraredReader(PseudoTerminal& pty, InfraredReader& reader,
                         const std::function<void(const std::string&)>& log,
                         const std::function<bool()>& keepGoing);

}  // namespace viruzedi
