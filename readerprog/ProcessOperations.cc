// The two private operations that the reader program imports share: the
// component's own folder and running a command line to its end.
#include <cstdint>

#include "component/AutomationError.h"
#include "component/Viruzedi.h"
#include "platform/ProcessRunner.h"
#include "readerprog/ReaderCommandLine.h"

namespace viruzedi {

void Viruzedi::EseguiEAttendi(const std::string& commandLine, int32_t showState) {
  // The show state goes into a 16-bit field of the start-up record; a value
  // that does not fit ends the call before any process exists.
  if (showState < INT16_MIN || showState > INT16_MAX) RaiseError(kOverflow);
  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  if (arguments.empty()) return;
  // A program that cannot start is not reported: the import then finds no
  // reader file and says that no data arrived.
  platform().Processes().RunAndWait(arguments);
}

std::string Viruzedi::PercorsoApp() {
  return FolderWithSeparator(platform().ComponentFolder(), '/');
}

}  // namespace viruzedi
