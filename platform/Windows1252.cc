#include "platform/Windows1252.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace viruzedi {

namespace {

void AppendUtf8(std::string& out, unsigned codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// Converts with iconv, calling `onInvalid` for a sequence the conversion
// refuses; it appends a replacement and returns how many input bytes to skip.
template <typename OnInvalid>
std::string Convert(const char* to, const char* from, std::string_view input,
                    OnInvalid onInvalid) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      size_t skip = onInvalid(out, std::string_view(in, inLeft));
      in += skip;
      inLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

// Text in plain ASCII is the same in both encodings; almost every line of a
// terminal file is, and opening a converter for each one would cost more
// than reading it.
bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  return Convert("UTF-8", "CP1252", bytes, [](std::string& out, std::string_view rest) {
    AppendUtf8(out, static_cast<unsigned char>(rest[0]));
    return size_t{1};
  });
}

std::string Utf8ToWindows1252(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  return Convert("CP1252", "UTF-8", text, [](std::string& out, std::string_view rest) {
    unsigned char lead = static_cast<unsigned char>(rest[0]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    // A control character of C1 stands for the undefined byte of that number.
    if (length == 2 && rest.size() >= 2 && lead == 0xC2) {
      unsigned char second = static_cast<unsigned char>(rest[1]);
      if (second == 0x81 || second == 0x8D || second == 0x8F || second == 0x90 || second == 0x9D) {
        out += static_cast<char>(second);
        return size_t{2};
      }
    }
    out += '?';
    return length < rest.size() ? length : rest.size();
  });
}

}  // namespace viruzedi
