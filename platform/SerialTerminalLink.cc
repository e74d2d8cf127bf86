#include "platform/FileSystem.h"
#include "platform/SerialTerminalLink.h"

#include <charconv>
#include <functional>

#include "base/Errors.h"
#include "platform/ByteChannel.h"
#include "platform/FileToSend.h"
#include "viruzedi/Platform.h"
#include "platform/SerialDevice.h"
#include "platform/Ymodem.h"

namespace viruzedi {
namespace {

constexpr int kDefaultBaud = 115200;

// What the user reads when a transfer fails (the form shows it with the
// error number as caption).
std::string DescribeFailure(YmodemFailure::Reason reason, const std::string& device) {
  using Reason = YmodemFailure::Reason;
  std::string text;
  switch (reason) {
    case Reason::kTimedOut: text = "Il terminale non risponde: tempo scaduto"; break;
    case Reason::kCancelledByPeer: text = "Trasferimento annullato dal terminale"; break;
    case Reason::kTooManyErrors: text = "Trasferimento interrotto: troppi errori sulla linea"; break;
    case Reason::kOutOfSequence:
      text = "Trasferimento interrotto: blocchi ricevuti fuori sequenza";
      break;
    case Reason::kIncomplete:
      text = "Trasferimento incompleto: il file ricevuto è più corto di quello annunciato";
      break;
  }
  return text + " (" + device + ").";
}

class SerialTerminalLink : public TerminalLink {
 public:
  SerialTerminalLink(std::string device, int baud, Platform& platform)
      : device_(std::move(device)), baud_(baud), platform_(platform) {
    // A slow line takes longer to carry a long block before its reply can
    // come: 10 bits a byte, twice over for safety.
    timing_.replyTimeout +=
        std::chrono::milliseconds(2 * 10 * 1029 * 1000 / static_cast<int64_t>(baud_));
  }

  bool FlagAlternativo() override { return false; }
  void OperazioneAlternativa() override {}

  void InviaFile(const std::string& path) override {
    std::string contents;
    YmodemFileInfo info = ReadFileToSend(path, contents);
    Transfer("INVIA\r", [&](ByteChannel& channel) {
      YmodemSendFile(channel, timing_, std::move(info), contents);
    });
  }

  bool RiceviFile(const std::string& path, int16_t numeroFile) override {
    bool arrived = false;
    Transfer("RICEVI " + std::to_string(numeroFile) + "\r", [&](ByteChannel& channel) {
      // The name the terminal gives its file is not used: the file goes
      // where the caller said.
      arrived = YmodemReceiveFile(
                    channel, timing_, [&path](const YmodemFileInfo&) { return path; },
                    [this] {
                      if (platform_.StopRequested()) RaiseError(kUserInterrupt);
                    },
                    [this, &path](bool before) { MarkUnconfirmed(path, before); })
                    .has_value();
    });
    return arrived;
  }

 private:
  // Sends the request line, then runs the protocol's side of the transfer;
  // a failure of either reaches the caller as error 57 with what went wrong.
  void Transfer(const std::string& request, const std::function<void(ByteChannel&)>& protocol) {
    auto device = OpenDevice();
    SerialDeviceChannel channel(*device, platform_);
    try {
      channel.Write(request);
      protocol(channel);
    } catch (const YmodemFailure& failure) {
      throw AutomationError(kDeviceIoError, DescribeFailure(failure.reason, device_));
    } catch (const LineGone&) {
      throw AutomationError(kDeviceIoError, "Il terminale si è scollegato durante il "
                                            "trasferimento (" + device_ + ").");
    }
  }

  // The marker stands while the terminal may not know its file arrived. A
  // marker that cannot be removed only makes the next download compare.
  void MarkUnconfirmed(const std::string& path, bool before) {
    const std::string marker = path + kMarcaDaConfermare;
    if (before) {
      // Made at once under its name (nothing written aside that a crash
      // could leave); one left by an earlier crash serves as well.
      platform_.Files().CreateLocked(marker);
      return;
    }
    try {
      platform_.Files().DeleteFile(marker, true);
    } catch (const AutomationError&) {
    }
  }

  // The device for one transfer, closed when the transfer ends however it
  // ends. Answers left over from an earlier, broken transfer are dropped.
  std::unique_ptr<SerialDevice> OpenDevice() {
    auto device = SerialDevice::Open(device_);
    device->Configure(ParseLineSettings(std::to_string(baud_) + ",n,8,1"));
    device->DiscardInput();
    return device;
  }

  std::string device_;
  int baud_;
  Platform& platform_;
  YmodemTiming timing_;
};

// The link whose setting names no usable device or speed: every
// transfer fails with the reason.
class MisconfiguredLink : public TerminalLink {
 public:
  explicit MisconfiguredLink(std::string setting) : setting_(std::move(setting)) {}
  bool FlagAlternativo() override { return false; }
  void OperazioneAlternativa() override {}
  void InviaFile(const std::string&) override { RaiseError(kSettingsNotApplied, setting_); }
  bool RiceviFile(const std::string&, int16_t) override {
    RaiseError(kSettingsNotApplied, setting_);
  }

 private:
  std::string setting_;
};

}  // namespace

std::unique_ptr<TerminalLink> MakeSerialTerminalLink(const std::string& deviceAndBaud,
                                                     Platform& platform) {
  std::string::size_type comma = deviceAndBaud.rfind(',');
  if (comma == std::string::npos) {
    return std::make_unique<SerialTerminalLink>(deviceAndBaud, kDefaultBaud, platform);
  }
  std::string device = deviceAndBaud.substr(0, comma);
  std::string baudText = deviceAndBaud.substr(comma + 1);
  int baud = 0;
  auto [end, error] = std::from_chars(baudText.data(), baudText.data() + baudText.size(), baud);
  if (device.empty() || error != std::errc() || end != baudText.data() + baudText.size() ||
      baud <= 0) {
    return std::make_unique<MisconfiguredLink>(deviceAndBaud);
  }
  return std::make_unique<SerialTerminalLink>(device, baud, platform);
}

}  // namespace viruzedi
