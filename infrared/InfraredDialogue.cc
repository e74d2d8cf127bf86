#include "infrared/InfraredDialogue.h"

#include <limits>

#include "base/Errors.h"
#include "base/Conversions.h"
#include "operation/ErrorReport.h"
#include "operation/SharedUse.h"
#include "infrared/InfraredTexts.h"
#include "platform/InfraredLibrary.h"

namespace viruzedi {

namespace {

constexpr size_t kReplyLength = 100;

bool IsNothing(const std::string& reply) { return reply == std::string(kReplyLength, ' '); }
bool IsAcknowledgement(const std::string& reply) {
  return StartsWithIgnoreCase(reply, kRispostaAck);
}
bool IsEndOfData(const std::string& reply) { return StartsWithIgnoreCase(reply, kRispostaEof); }
bool IsRecordReply(const std::string& reply) {
  return !reply.empty() && reply[0] == kInizioRecord;
}

// The second character of the reply, which is held in UTF-8: a first
// character outside ASCII takes more than one byte.
char SecondCharacter(const std::string& reply) {
  size_t next = 1;
  while (next < reply.size() && (static_cast<unsigned char>(reply[next]) & 0xC0) == 0x80) ++next;
  return next < reply.size() ? reply[next] : '\0';
}

}  // namespace

InfraredDialogue::InfraredDialogue(Platform& platform, Handlers handlers)
    : platform_(platform), handlers_(std::move(handlers)) {}

InfraredDialogue::~InfraredDialogue() { CloseIfOpen(); }

InfraredDialogue::End InfraredDialogue::Run(int32_t port) {
  static SharedUse linkInUse;
  SharedUse::Hold link(linkInUse, "il collegamento a infrarossi è in uso da un'altra operazione");
  state_ = State::kOpening;
  counter_ = 0;
  while (state_ != State::kEnded) {
    switch (state_) {
      case State::kOpening: state_ = Opening(port); break;
      case State::kHandshake: state_ = Handshake(); break;
      case State::kRequesting: state_ = Requesting(); break;
      case State::kAwaitingRecord: state_ = AwaitingRecord(); break;
      case State::kEnding: state_ = Ending(); break;
      case State::kEnded: break;
    }
  }
  return end_;
}

InfraredDialogue::State InfraredDialogue::Opening(int32_t port) {
  library_ = &platform_.Infrared();
  linkResult_ = library_->vbOpenIrCom(port, kBaud);
  linkOpen_ = linkResult_ != 0;
  // The pause comes whatever the result: the reader needs it after an
  // open, and an open failure is reported only after it.
  Pause(kOpenPause);
  resendPoint_ = platform_.Now() + kResendAfter;
  deadline_ = platform_.Now() + kDeadlineAfter;
  if (linkResult_ == 0) return EndWith(End::kOpenFailure);
  // Any result other than 1 means a link that needs no handshake.
  return linkResult_ == 1 ? State::kHandshake : State::kRequesting;
}

InfraredDialogue::State InfraredDialogue::Handshake() {
  Send(kComandoLeggi);
  reply_ = ReadReply();
  while (true) {
    Yield();
    if (IsAcknowledgement(reply_)) return State::kRequesting;
    // The resend point stays where it is: once it has passed, every pass
    // repeats the command, and only the deadline ends the repeats.
    if (Passed(resendPoint_)) {
      Send(kComandoLeggi);
      reply_ = ReadReply();
    }
    if (Passed(deadline_)) {
      Close();
      return EndWith(End::kHandshakeTimeout);
    }
  }
}

InfraredDialogue::State InfraredDialogue::Requesting() {
  // Between two records nothing is half done: the rows are only staged.
  StopIfRequested(platform_);
  resendPoint_ = platform_.Now() + kResendAfter;
  deadline_ = platform_.Now() + kDeadlineAfter;
  riprovaSent_ = false;
  Send(kComandoSegue + CounterText() + kFineComando);
  platform_.PumpEvents();
  reply_ = ReadReply();
  platform_.PumpEvents();

  if (IsNothing(reply_)) {
    Close();
    return EndWith(End::kEmptyReplyTimeout);
  }
  if (IsEndOfData(reply_)) return State::kEnding;
  // A reply that took longer than the resend point may have been garbled
  // on the way: ask once for it again, unless the reader marked it as one
  // that must not be repeated.
  if (SecondCharacter(reply_) != kNessunaRiprova && Passed(resendPoint_)) {
    deadline_ = platform_.Now() + kDeadlineAfter;
    Send(kComandoRiprova + CounterText() + kFineComando);
    riprovaSent_ = true;
  }
  return State::kAwaitingRecord;
}

InfraredDialogue::State InfraredDialogue::AwaitingRecord() {
  bool riprovaAnswerRead = false;
  while (!IsRecordReply(reply_)) {
    if (Passed(deadline_)) {
      Close();
      return EndWith(End::kRecordTimeout);
    }
    // The reader's answer to "RIPROVA" is the reply to the request: without
    // reading it, a request whose first reply was garbled could never
    // succeed.
    if (riprovaSent_ && !riprovaAnswerRead) {
      reply_ = ReadReply();
      riprovaAnswerRead = true;
      platform_.PumpEvents();
    } else {
      Yield();
    }
  }
  handlers_.importRecord(reply_);
  if (counter_ == std::numeric_limits<int32_t>::max()) RaiseError(kOverflow);
  ++counter_;
  return State::kRequesting;
}

InfraredDialogue::State InfraredDialogue::Ending() {
  // The reader forgets its reads on "ELIMINA": the rows must be safe first.
  handlers_.storeRows();
  Pause(kEndPause);
  Send(kComandoElimina);
  Close();
  if (handlers_.erased) handlers_.erased();
  return EndWith(End::kSuccess);
}

InfraredDialogue::State InfraredDialogue::EndWith(End end) {
  end_ = end;
  return State::kEnded;
}

void InfraredDialogue::Send(const std::string& command) { library_->WriteIrCom(command); }

std::string InfraredDialogue::ReadReply() {
  std::string buffer(kReplyLength, ' ');
  library_->vbReadIrCom(buffer);
  return buffer;
}

void InfraredDialogue::Close() {
  if (!linkOpen_) return;
  linkOpen_ = false;
  library_->CloseIrCom();
}

void InfraredDialogue::CloseIfOpen() noexcept {
  try {
    Close();
  } catch (...) {
    // The link cannot be closed (its function is missing): nothing more
    // can be done with it, and the failure being reported matters more.
  }
}

// The counter in decimal after one space, the sign position of a number
// that is never negative.
std::string InfraredDialogue::CounterText() const { return " " + IntegerText(counter_); }

bool InfraredDialogue::Passed(MonotonicTime point) { return platform_.Now() > point; }

void InfraredDialogue::Pause(std::chrono::milliseconds duration) {
  MonotonicTime end = platform_.Now() + duration;
  while (true) {
    platform_.PumpEvents();
    MonotonicTime now = platform_.Now();
    if (now >= end) return;
    platform_.SleepFor(std::min<std::chrono::nanoseconds>(end - now, kPollInterval));
  }
}

void InfraredDialogue::Yield() {
  platform_.PumpEvents();
  platform_.SleepFor(kPollInterval);
}

}  // namespace viruzedi
