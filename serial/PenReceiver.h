// The pen reader's serial control and the lines its receive events make.
// Created with its object, configured once, and opened by each pen
// download; the download and the receive handler share the fields below,
// the handler running only inside the download's wait.
#pragma once

#include <memory>
#include <string>

#include "platform/SerialPort.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// Not thread-safe: the thread of its object.
class PenReceiver {
 public:
  // Builds and configures the control of `platform`, closed.
  explicit PenReceiver(Platform& platform);
  // Destroying the control closes a port left open.
  ~PenReceiver();
  PenReceiver(const PenReceiver&) = delete;
  PenReceiver& operator=(const PenReceiver&) = delete;

  // Receive handler of Seriale: assembles the reader's lines. A line longer
  // than the receiver keeps is failure 1006, its first characters left in
  // caratteriScartati.
  void OnComm();

  std::unique_ptr<SerialPort> Seriale;
  std::string BufferRicezione;
  std::string UltimaRiga;
  bool RigaCompleta = false;
  std::string caratteriScartati;
};

}  // namespace viruzedi
