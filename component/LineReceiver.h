// The serial line receiver: turns the characters of receive events into
// complete lines ended by LF CR.
#pragma once

#include <string>

namespace viruzedi {

// Appends `input` to `buffer`. When the buffer then ends with LF CR (in that
// order), the buffer without those two characters becomes `line`, the buffer
// is emptied and `lineReady` becomes true. Only the end of the buffer is
// examined: a terminator followed by more characters in the same read stays
// inside the line, as the reader's dialogue never sends one.
void AppendReceived(std::string& buffer, std::string& line, bool& lineReady,
                    const std::string& input);

}  // namespace viruzedi
