#include "platform/ProgramArguments.h"

namespace viruzedi {

// A POSIX program's arguments are bytes as given, UTF-8 in the locales the
// component runs under.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace viruzedi
