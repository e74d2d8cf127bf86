// The line settings text of the serial-port control, the same on every system.
#include <cstdio>
#include <initializer_list>

#include "base/Errors.h"
#include "base/Text.h"
#include "platform/SerialDevice.h"

namespace viruzedi {
namespace {

// The speeds that every system this runs on can set.
bool KnownSpeed(int baud) {
  for (int speed : {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400}) {
    if (speed == baud) return true;
  }
  return false;
}

}  // namespace

LineSettings ParseLineSettings(const std::string& text) {
  LineSettings settings;
  char parity = 0;
  int baud = 0, data = 0, stop = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d,%c,%d,%d%c", &baud, &parity, &data, &stop, &tail) != 4) {
    RaiseError(kSettingsNotApplied, text);
  }
  parity = LowerAscii(parity);
  if (!KnownSpeed(baud) || (parity != 'n' && parity != 'e' && parity != 'o') || data < 5 ||
      data > 8 || (stop != 1 && stop != 2)) {
    RaiseError(kSettingsNotApplied, text);
  }
  settings.baud = baud;
  settings.parity = parity;
  settings.dataBits = data;
  settings.stopBits = stop;
  return settings;
}

}  // namespace viruzedi
