// The workstation's "ANSI" code page (Windows-1252) and UTF-8, the text form
// used inside the component.
#pragma once

#include <string>
#include <string_view>

namespace viruzedi {

// Every byte becomes its character; the five bytes that the code page leaves
// undefined become the control characters of the same number, as the
// workstation's own conversion does, so no byte of a file is ever lost.
std::string Windows1252ToUtf8(std::string_view bytes);
// Characters the code page lacks (and invalid UTF-8) become "?".
std::string Utf8ToWindows1252(std::string_view text);

}  // namespace viruzedi
