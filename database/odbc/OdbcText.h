// Text between the component (UTF-8) and ODBC's wide calls (UTF-16, two
// bytes a unit on every system the component runs on).
#pragma once

#include <string>
#include <string_view>

namespace viruzedi {

// Malformed UTF-8 becomes U+FFFD, one for each byte that starts no sequence.
std::u16string Utf16OfUtf8(std::string_view text);
// A lone surrogate becomes U+FFFD.
std::string Utf8OfUtf16(std::u16string_view text);

}  // namespace viruzedi
