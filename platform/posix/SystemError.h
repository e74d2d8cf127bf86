// What the system said about a file, as the runtime error numbers that the
// component's error boxes show.
#pragma once

#include <string>

namespace viruzedi {

// Throws AutomationError for `error` (an errno value) about `path`:
// 53 no such file, 76 a folder on the way is missing, 58 the name exists,
// 70 permission denied (or read-only), 61 disk full (or a file grown past
// the size the process may write), 57 device I/O error, 75 any other
// refusal to reach the file.
[[noreturn]] void RaiseSystemError(int error, const std::string& path);

}  // namespace viruzedi
