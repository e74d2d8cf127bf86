// The serial line receiver: turns the characters of receive events into
// complete lines ended by LF CR.
#pragma once

#include <cstddef>
#include <string>

namespace viruzedi {

// The longest line the receiver keeps, terminator not counted. A pen read is
// a few dozen characters; a device that sends more without a line end is
// misbehaving (wrong speed, a flood of noise), and keeping it all would let
// it grow the buffer without bound.
inline constexpr std::size_t kMaxReceivedLine = 4096;

// Appends `input` to `buffer`. When the buffer then ends with LF CR (in that
// order), the buffer without those two characters becomes `line`, the buffer
// is emptied and `lineReady` becomes true. Only the end of the buffer is
// examined: a terminator followed by more characters in the same read stays
// inside the line, as the reader's dialogue never sends one.
//
// Returns false, with the buffer emptied and `line`/`lineReady` untouched,
// when the line being collected grows past kMaxReceivedLine: the caller
// reports the overflow. The buffer then never holds more than that line and
// the one input that made it too long.
bool AppendReceived(std::string& buffer, std::string& line, bool& lineReady,
                    const std::string& input);

}  // namespace viruzedi
