#include "platform/ProgramArguments.h"

#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Headers.h"

#include <shellapi.h>

namespace viruzedi {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  // Without the wide line, main's own arguments are still better than none.
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8Text(wide[i]));
  LocalFree(wide);
  return arguments;
}

}  // namespace viruzedi
