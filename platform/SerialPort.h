// The serial-port control: the stand-in for the platform's communications
// control, with the same configuration members and the same events.
//
// A port is created closed. Setting PortOpen(true) opens the device of
// CommPort exclusively and applies the configuration; receive notifications
// (OnComm with CommEvent() == kComEvReceive) are delivered only from inside
// WaitForEvents, on the caller's thread, as the control delivers its events
// only while its thread yields.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "viruzedi/Platform.h"

namespace viruzedi {

// CommEvent values.
enum CommEventCode : int {
  kComEvNone = 0,
  kComEvSend = 1,
  kComEvReceive = 2,
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Configuration, applied when the port is opened (and on every open).
  int16_t CommPort = 1;
  std::string Settings = "9600,n,8,1";
  int Handshaking = 0;
  int RThreshold = 0;
  int SThreshold = 0;
  int InBufferSize = 1024;
  int OutBufferSize = 512;
  int InputLen = 0;
  int InputMode = 0;
  bool EOFEnable = false;
  bool NullDiscard = false;
  bool RTSEnable = false;
  bool DTREnable = false;

  // Opens (true) or closes (false) the port of CommPort.
  // Opening throws AutomationError 8002 when CommPort names no device,
  // 8005 when another program holds the port, 8015 when Settings cannot be
  // applied. Closing an already closed port does nothing.
  virtual void SetPortOpen(bool open) = 0;
  virtual bool PortOpen() const = 0;

  // Everything received since the last read, as text (bytes as they came).
  virtual std::string Input() = 0;
  // Sends the text. Throws AutomationError 8018 when the port is closed.
  virtual void Output(const std::string& text) = 0;
  // The event being delivered (meaningful inside OnComm).
  virtual int CommEvent() const = 0;

  // Receive notification. Called from WaitForEvents only.
  std::function<void()> OnComm;

  // Blocks on the port until data arrives or `deadline` passes, then
  // delivers OnComm with kComEvReceive when data is waiting. Never spins.
  // With the port closed it just waits until the deadline.
  virtual void WaitForEvents(MonotonicTime deadline) = 0;
};

// The control over this system's serial devices (SerialDevice), with the
// device of CommPort from `platform`'s settings and waits on its clock.
std::unique_ptr<SerialPort> MakeDeviceSerialPort(Platform& platform);

}  // namespace viruzedi
