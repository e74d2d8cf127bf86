// A pseudo-terminal pair: the device side (`SlavePath()`) is what the
// component opens as a serial port; the simulator of a device talks on the
// other side. Used by the device simulators and the tests.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace viruzedi {

class PseudoTerminal {
 public:
  using Clock = std::chrono::steady_clock;

  // Opens a new pair with the device side in raw mode. The device side is
  // kept open by this object too, so that the simulator's side never sees a
  // hang-up while the component closes and reopens the port.
  static std::unique_ptr<PseudoTerminal> Open();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& SlavePath() const { return slavePath_; }

  // The simulator's side: write bytes to the device, read what the
  // component wrote (blocks until data or the deadline; "" at the deadline).
  void Write(std::string_view bytes);
  std::string Read(Clock::time_point deadline, size_t limit = 4096);
  bool WaitReadable(Clock::time_point deadline);
  // The window size a program on the device side learns by asking its
  // terminal (a narrow window for the progress line).
  void SetColumns(unsigned short columns);
  int descriptor() const { return master_; }

 private:
  PseudoTerminal() = default;
  int master_ = -1;
  int slaveKeeper_ = -1;
  std::string slavePath_;
};

}  // namespace viruzedi
