#include "platform/BlockTextStream.h"

#include <algorithm>
#include <string_view>

#include "base/Errors.h"
#include "platform/Windows1252.h"

namespace viruzedi {
namespace {

// The byte-order mark that a few editors put at the start of a UTF-8 file.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

void BlockTextStream::ReadLineInto(std::string& line) {
  if (AtEndOfStream()) RaiseError(kInputPastEndOfFile);
  line.clear();
  while (Fill()) {
    const char* start = buffer_.data() + position_;
    const char* stop = buffer_.data() + buffer_.size();
    const char* end = std::find_if(start, stop, [](char c) { return c == '\n' || c == '\r'; });
    size_t length = static_cast<size_t>(end - start);
    if (line.size() + length > kLongestTextLine) {
      line.clear();  // no part of a line is handed out
      RaiseError(kOutOfStringSpace,
                 "riga di oltre " + std::to_string(kLongestTextLine) + " byte in " + path_);
    }
    line.append(start, length);
    position_ += length;
    if (end == stop) continue;
    // CR LF is one line end, even when the LF is in the next block.
    if (buffer_[position_++] == '\r' && Fill() && buffer_[position_] == '\n') ++position_;
    break;
  }
  // An ASCII line reads the same in both encodings.
  const bool ascii = std::all_of(line.begin(), line.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!utf8_ && !ascii) line = Windows1252ToUtf8(line);
}

std::string BlockTextStream::BytesFingerprint() {
  // Read to the end first: a fingerprint stands for the whole file.
  while (Fill()) position_ = buffer_.size();
  return fingerprint_.Hex();
}

bool BlockTextStream::Fill() {
  if (position_ < buffer_.size()) return true;
  if (Closed()) return false;
  buffer_.resize(65536);
  size_t n = ReadBlock(buffer_.data(), buffer_.size());
  buffer_.resize(n);
  fingerprint_.Add(buffer_);
  position_ = 0;
  if (!started_) SkipUtf8Mark();
  return position_ < buffer_.size() || (n > 0 && Fill());
}

// A file that opens with the UTF-8 mark was saved as UTF-8: read as
// Windows-1252, the mark and every accented letter would be mangled.
// The first block holds the whole mark unless the file is shorter.
void BlockTextStream::SkipUtf8Mark() {
  started_ = true;
  if (std::string_view(buffer_).substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    utf8_ = true;
    position_ = kUtf8Mark.size();
  }
}

}  // namespace viruzedi
