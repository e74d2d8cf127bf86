// libZiRav.so: the infrared link library, over a serial port on which the
// infrared reader (or its cradle) answers.
//
// Four C functions with the component's arguments:
//   int32_t vbOpenIrCom(int32_t port, int32_t baud)  1 = open, 0 = cannot open
//   void WriteIrCom(const char* command)             drops unread input, sends
//   void vbReadIrCom(char* buffer101)                 one reply over the start
//   void CloseIrCom(void)
// Port n is the device named by VIRUZEDI_COM<n>, or /dev/ttyS<n-1> (on
// Windows \\.\COM<n>, n up to 255). A reply
// is the bytes up to a CR (the CR not kept, at most 100 of them). Nothing
// thrown ever crosses the C boundary: a failing port behaves as a silent one.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "platform/SerialDevice.h"

namespace {

using viruzedi::LineSettings;
using viruzedi::SerialDevice;

constexpr size_t kReplyLength = 100;
// Long enough to tell a late reply (after the dialogue's one-second resend
// point) from none at all (before its two-second deadline).
constexpr auto kReadLimit = std::chrono::milliseconds(1500);

struct Link {
  std::mutex mutex;
  std::unique_ptr<SerialDevice> device;
  // Bytes received after the CR of the last reply handed out.
  std::string pending;
};

Link& TheLink() {
  static Link link;
  return link;
}

std::string DevicePath(int32_t port) {
  if (port < 1) return "";
  std::string name = "VIRUZEDI_COM" + std::to_string(port);
  const char* configured = std::getenv(name.c_str());
  if (configured && *configured) return configured;
  return viruzedi::SystemSerialDevice(port);
}

// Takes one complete reply out of `pending`; false when no CR has arrived.
bool TakeReply(std::string& pending, std::string& reply) {
  std::string::size_type end = pending.find('\r');
  if (end == std::string::npos) return false;
  reply = pending.substr(0, end < kReplyLength ? end : kReplyLength);
  pending.erase(0, end + 1);
  return true;
}

}  // namespace

// On Windows the functions are __stdcall, as the component calls them, and
// ZiRav.def exports them under their plain names (the 32-bit compiler would
// decorate them as vbOpenIrCom@8).
#if defined(_WIN32)
#define ZIRAV_EXPORT extern "C"
#define ZIRAV_CALL __stdcall
#else
#define ZIRAV_EXPORT extern "C" __attribute__((visibility("default")))
#define ZIRAV_CALL
#endif

ZIRAV_EXPORT int32_t ZIRAV_CALL vbOpenIrCom(int32_t port, int32_t baud) {
  Link& link = TheLink();
  std::lock_guard<std::mutex> lock(link.mutex);
  link.device.reset();
  link.pending.clear();
  std::string path = DevicePath(port);
  if (path.empty()) return 0;
  try {
    auto device = SerialDevice::Open(path);
    LineSettings settings;
    settings.baud = baud;
    device->Configure(settings);
    device->SetModemLines(true, true);
    device->DiscardInput();
    link.device = std::move(device);
    return 1;
  } catch (...) {
    return 0;
  }
}

ZIRAV_EXPORT void ZIRAV_CALL WriteIrCom(const char* command) {
  Link& link = TheLink();
  std::lock_guard<std::mutex> lock(link.mutex);
  if (!link.device || !command) return;
  try {
    // A late answer to an earlier command must not pass for this one's.
    link.device->DiscardInput();
    link.pending.clear();
    link.device->Write(command);
  } catch (...) {
  }
}

ZIRAV_EXPORT void ZIRAV_CALL vbReadIrCom(char* buffer101) {
  Link& link = TheLink();
  std::lock_guard<std::mutex> lock(link.mutex);
  if (!link.device || !buffer101) return;
  try {
    auto deadline = SerialDevice::Clock::now() + kReadLimit;
    std::string reply;
    while (!TakeReply(link.pending, reply)) {
      std::string received = link.device->Read(deadline);
      if (received.empty()) {
        if (SerialDevice::Clock::now() >= deadline) return;
        continue;
      }
      link.pending += received;
      // A reader that never ends its reply must not grow this without end:
      // only the first 100 bytes of a reply are ever kept.
      if (link.pending.find('\r') == std::string::npos && link.pending.size() > kReplyLength) {
        link.pending.resize(kReplyLength);
      }
    }
    std::memcpy(buffer101, reply.data(), reply.size());
  } catch (...) {
  }
}

ZIRAV_EXPORT void ZIRAV_CALL CloseIrCom() {
  Link& link = TheLink();
  std::lock_guard<std::mutex> lock(link.mutex);
  link.device.reset();
  link.pending.clear();
}
