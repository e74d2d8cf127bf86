// The serial terminal link: the terminal on a serial line, files crossing it
// with YMODEM (1K blocks, CRC-16). To fetch file N the link sends the line
// "RICEVI <N>" + CR and receives one file; to send, "INVIA" + CR and then
// the file.
#pragma once

#include <memory>
#include <string>

#include "platform/TerminalLink.h"

namespace viruzedi {

class Platform;

// A link on `deviceAndBaud` ("DEVICE" or "DEVICE,BAUD"). The device is opened
// at each transfer, not here, so a link is made even when the device is
// absent; the transfer then throws AutomationError. Its FlagAlternativo is
// false. Waits run on `platform`'s monotonic clock; `platform` must outlive
// the link.
std::unique_ptr<TerminalLink> MakeSerialTerminalLink(const std::string& deviceAndBaud,
                                                     Platform& platform);

}  // namespace viruzedi
