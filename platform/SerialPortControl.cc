// The serial-port control on a serial device (SerialDevice), whatever the
// system under it.
//
// The control keeps what a read took from the device and the handler has not
// yet taken through Input(), so a receive event never loses characters. Events
// are raised only from WaitForEvents, on the caller's thread, as the control's
// events reach their handler only while its thread yields.
#include <algorithm>
#include <chrono>
#include <iterator>
#include <string>

#include "base/Errors.h"
#include "platform/SerialPort.h"
#include "platform/SerialDevice.h"

namespace viruzedi {
namespace {

using RealClock = std::chrono::steady_clock;

class DeviceSerialPort : public SerialPort {
 public:
  explicit DeviceSerialPort(Platform& platform) : platform_(platform) {}
  ~DeviceSerialPort() override { Close(); }

  void SetPortOpen(bool open) override {
    if (!open) {
      Close();
      return;
    }
    if (device_) RaiseError(kPortAlreadyOpen, "la porta è già aperta da questo controllo");
    // The pen's dialogue and every device of this system run without flow
    // control; a setting that asks for it cannot be honoured here.
    if (Handshaking != 0) RaiseError(kSettingsNotApplied, "Handshaking " + std::to_string(Handshaking));
    LineSettings settings = ParseLineSettings(Settings);
    std::unique_ptr<SerialDevice> device = SerialDevice::Open(platform_.SerialDevice(CommPort));
    device->Configure(settings);  // on failure the device closes with `device`
    device->SetModemLines(RTSEnable, DTREnable);
    // A freshly opened control starts with empty buffers: characters left in
    // the line by an earlier session must not pass for the answer to the
    // first request.
    device->DiscardInput();
    pending_.clear();
    commEvent_ = kComEvNone;
    device_ = std::move(device);
  }

  bool PortOpen() const override { return device_ != nullptr; }

  std::string Input() override {
    if (!device_) return "";
    // Everything received so far: what the last wait took, and what has
    // arrived since.
    Append(device_->Read(RealClock::now(), ReadLimit()));
    std::string taken;
    if (InputLen > 0 && pending_.size() > static_cast<size_t>(InputLen)) {
      taken = pending_.substr(0, static_cast<size_t>(InputLen));
      pending_.erase(0, static_cast<size_t>(InputLen));
    } else {
      taken.swap(pending_);
    }
    return taken;
  }

  void Output(const std::string& text) override {
    if (!device_) RaiseError(kPortNotOpen);
    device_->Write(text);
  }

  int CommEvent() const override { return commEvent_; }

  void WaitForEvents(MonotonicTime deadline) override {
    // The deadline is on the platform's clock; the wait itself blocks on the
    // device for the time that is left.
    auto left = deadline - platform_.Now();
    if (left <= decltype(left)::zero()) left = decltype(left)::zero();
    if (!device_ || RThreshold <= 0) {
      // No receive events: nothing to do but let the time pass.
      if (left > decltype(left)::zero()) platform_.SleepFor(left);
      return;
    }
    RealClock::time_point realDeadline =
        RealClock::now() + std::chrono::duration_cast<RealClock::duration>(left);
    bool arrived = false;
    while (!arrived || pending_.size() < static_cast<size_t>(RThreshold)) {
      std::string chunk = device_->Read(realDeadline, ReadLimit());
      if (chunk.empty()) {
        // The deadline, or a line that has gone away (the other end of a
        // pseudo-terminal closed): in both cases nothing more comes before
        // the deadline, and returning early would only make the caller spin.
        auto rest = realDeadline - RealClock::now();
        if (rest > RealClock::duration::zero()) platform_.SleepFor(rest);
        break;
      }
      Append(chunk);
      arrived = true;
    }
    if (arrived && pending_.size() >= static_cast<size_t>(RThreshold)) {
      commEvent_ = kComEvReceive;
      if (OnComm) OnComm();
    }
  }

 private:
  void Close() {
    device_.reset();
    pending_.clear();
  }

  size_t ReadLimit() const {
    return InBufferSize > 0 ? static_cast<size_t>(InBufferSize) : size_t{1024};
  }

  void Append(const std::string& chunk) {
    if (NullDiscard) {
      std::copy_if(chunk.begin(), chunk.end(), std::back_inserter(pending_),
                   [](char c) { return c != '\0'; });
    } else {
      pending_ += chunk;
    }
  }

  Platform& platform_;
  std::unique_ptr<SerialDevice> device_;
  std::string pending_;
  int commEvent_ = kComEvNone;
};

}  // namespace

std::unique_ptr<SerialPort> MakeDeviceSerialPort(Platform& platform) {
  return std::make_unique<DeviceSerialPort>(platform);
}

}  // namespace viruzedi
