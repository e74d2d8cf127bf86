// What Windows said about a file, as the runtime error numbers that the
// component's error boxes show, and the text conversions of its wide API:
// the component keeps UTF-8, the system takes UTF-16.
#pragma once

#include <cstdint>
#include <string>

namespace viruzedi {

// Throws AutomationError for `error` (a GetLastError value) about `path`:
// 53 no such file, 76 a folder on the way is missing, 58 the name exists,
// 70 access denied or held by another program, 61 disk full, 57 device
// I/O error, 75 any other refusal to reach the file.
[[noreturn]] void RaiseWindowsError(uint32_t error, const std::string& path);
// The same for the error of the last failed call.
[[noreturn]] void RaiseLastWindowsError(const std::string& path);

// UTF-8 to UTF-16 and back; invalid UTF-8 becomes U+FFFD.
std::wstring WidePath(const std::string& text);
std::string Utf8Text(const std::wstring& text);

}  // namespace viruzedi
