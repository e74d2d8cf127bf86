// Apart from the seams: the system's header renames what they override.
#include "tests/crash/seams/CrashingSeams.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

#include <cstdlib>

namespace viruzedi::testing {

void EndAsKilled() {
#ifdef _WIN32
  TerminateProcess(GetCurrentProcess(), 137);
#else
  std::raise(SIGKILL);
#endif
  std::_Exit(137);
}

}  // namespace viruzedi::testing
