// A file that the terminal link sends, read whole with its modification
// time before the line is touched, so that a missing file never leaves the
// terminal waiting for one.
#pragma once

#include <string>

#include "platform/Ymodem.h"

namespace viruzedi {

// The file's name (its last path part) and time, its bytes in `contents`.
// AutomationError 53 when it is missing or no regular file, 70 when it may
// not be read, 57 when reading fails.
YmodemFileInfo ReadFileToSend(const std::string& path, std::string& contents);

}  // namespace viruzedi
