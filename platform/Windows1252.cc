// The code page by its table: the same on every system (Windows' own
// converter and iconv differ on the five undefined bytes), and a lookup per
// byte costs less than opening a converter for each line.
#include "platform/Windows1252.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace viruzedi {

namespace {

// Characters of the bytes 0x80..0x9F; the five undefined bytes keep the
// control character of their number. Every other byte is the character of
// the same number.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// The byte of a character, or -1 when the code page lacks it.
int ByteOf(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<int>(codePoint);
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == codePoint) return 0x80 + i;
  }
  return -1;
}

// The character that starts `text` and the bytes it takes; a sequence that
// is no valid UTF-8 gives -1 and the bytes its lead byte announces.
std::pair<int32_t, size_t> DecodeUtf8(std::string_view text) {
  const unsigned char lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return {lead, 1};
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  const size_t available = length < text.size() ? length : text.size();
  if (length == 1 || lead > 0xF4 || available < length) return {-1, available};
  char32_t codePoint = lead & (0x3F >> (length - 1));
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return {-1, length};
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < kShortest[length] || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return {-1, length};
  }
  return {static_cast<int32_t>(codePoint), length};
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    // Most lines are ASCII throughout: their runs are copied whole.
    const auto high = std::find_if(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const size_t run = static_cast<size_t>(high - bytes.begin());
    out.append(bytes.data(), run);
    if (run == bytes.size()) break;
    const unsigned char byte = static_cast<unsigned char>(bytes[run]);
    AppendUtf8(out, byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
    bytes.remove_prefix(run + 1);
  }
  return out;
}

std::string Utf8ToWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto [codePoint, length] = DecodeUtf8(text);
    const int byte = codePoint < 0 ? -1 : ByteOf(static_cast<char32_t>(codePoint));
    out += byte < 0 ? '?' : static_cast<char>(byte);
    text.remove_prefix(length);
  }
  return out;
}

}  // namespace viruzedi
