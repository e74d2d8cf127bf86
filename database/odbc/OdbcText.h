// Text between the component (UTF-8) and ODBC's wide calls (UTF-16, two
// bytes a unit on every system the component runs on).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace viruzedi {

// Malformed UTF-8 becomes U+FFFD, one for each byte that starts no sequence.
std::u16string Utf16OfUtf8(std::string_view text);
// The same into `out`, which has room for text.size() units (UTF-16 never
// takes more units than UTF-8 takes bytes); the units written.
size_t Utf16OfUtf8(std::string_view text, char16_t* out);
// A lone surrogate becomes U+FFFD.
std::string Utf8OfUtf16(std::u16string_view text);

}  // namespace viruzedi
