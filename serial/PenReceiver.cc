#include "serial/PenReceiver.h"

#include "base/Errors.h"
#include "base/LineReceiver.h"

namespace viruzedi {

namespace {

// The pen reader's line settings, fixed for every object.
void ConfigureSeriale(SerialPort& port) {
  port.RThreshold = 1;
  port.Settings = "38400,n,8,1";
  port.Handshaking = 0;
  port.InBufferSize = 1024;
  port.OutBufferSize = 512;
  port.SThreshold = 1;
  port.InputLen = 0;
  port.InputMode = 0;
  port.EOFEnable = false;
  port.NullDiscard = false;
  port.RTSEnable = false;
  port.DTREnable = false;
}

}  // namespace

PenReceiver::PenReceiver(Platform& platform) : Seriale(platform.CreateSerialPort()) {
  ConfigureSeriale(*Seriale);
  Seriale->OnComm = [this] { OnComm(); };
}

PenReceiver::~PenReceiver() { Seriale.reset(); }

void PenReceiver::OnComm() {
  if (Seriale->CommEvent() != kComEvReceive) return;
  std::string input = Seriale->Input();
  // The receiver lets the characters of an over-long line go, and the
  // reader has forgotten them once sent: the line's first kMaxReceivedLine
  // characters are kept for the download's failure path, the limit the
  // person is told of (what follows them is the same flood). Copied only
  // when the limit may be passed, so ordinary reads cost nothing.
  std::string collected;
  if (BufferRicezione.size() + input.size() > kMaxReceivedLine) {
    collected = (BufferRicezione + input).substr(0, kMaxReceivedLine);
  }
  // Events reach the handler only inside the download's wait, so the
  // failure ends the download through its own failure path.
  if (!AppendReceived(BufferRicezione, UltimaRiga, RigaCompleta, input)) {
    caratteriScartati = std::move(collected);
    RaiseError(kReceiveOverflow, "il dispositivo ha inviato più di " +
                                     std::to_string(kMaxReceivedLine) +
                                     " caratteri senza fine riga");
  }
}

}  // namespace viruzedi
