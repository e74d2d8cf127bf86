#include "database/odbc/OdbcText.h"

namespace viruzedi {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string Utf16OfUtf8(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  out.resize(Utf16OfUtf8(text, out.data()));
  return out;
}

size_t Utf16OfUtf8(std::string_view text, char16_t* out) {
  char16_t* const start = out;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80                   ? 1
                    : lead >= 0xF0 && lead < 0xF5 ? 4
                    : lead >= 0xE0                ? 3
                    : lead >= 0xC2 && lead < 0xE0 ? 2
                                                  : 0;
    char32_t c = kReplacement;
    if (length == 1) {
      c = lead;
    } else if (length > 1 && i + length <= text.size()) {
      c = lead & (0x7F >> length);
      bool valid = true;
      for (size_t k = 1; k < length && valid; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        valid = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
      }
      // Overlong forms, surrogates and values past U+10FFFF are malformed.
      bool shortest = (length == 3 && c >= 0x800) || (length == 4 && c >= 0x10000) || length == 2;
      if (!valid || !shortest || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
        c = kReplacement;
        length = 1;
      }
    } else {
      length = 1;
    }
    i += length;
    if (c >= 0x10000) {
      *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(c);
    }
  }
  return static_cast<size_t>(out - start);
}

std::string Utf8OfUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace viruzedi
