// The component's GUIDs as the system takes them, read at compile time from
// their text in base/Identity.h, so that the text there stays the one place
// where they are written.
#pragma once

#include <guiddef.h>

#include <cstddef>

namespace viruzedi::automation {

namespace guid_text {

constexpr unsigned HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  throw "not a hexadecimal digit";  // a compile-time error in GuidFrom
}

constexpr unsigned long Hex(const char* text, size_t digits) {
  unsigned long value = 0;
  for (size_t i = 0; i < digits; ++i) value = value * 16 + HexDigit(text[i]);
  return value;
}

}  // namespace guid_text

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" to a GUID; anything else does not
// compile.
template <size_t N>
consteval GUID GuidFrom(const char (&text)[N]) {
  using guid_text::Hex;
  static_assert(N == 39, "a GUID is written {8-4-4-4-12}");
  if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' ||
      text[24] != '-' || text[37] != '}') {
    throw "a GUID is written {8-4-4-4-12}";
  }
  GUID guid{};
  guid.Data1 = Hex(text + 1, 8);
  guid.Data2 = static_cast<unsigned short>(Hex(text + 10, 4));
  guid.Data3 = static_cast<unsigned short>(Hex(text + 15, 4));
  guid.Data4[0] = static_cast<unsigned char>(Hex(text + 20, 2));
  guid.Data4[1] = static_cast<unsigned char>(Hex(text + 22, 2));
  for (size_t i = 0; i < 6; ++i) guid.Data4[2 + i] = static_cast<unsigned char>(Hex(text + 25 + 2 * i, 2));
  return guid;
}

}  // namespace viruzedi::automation
