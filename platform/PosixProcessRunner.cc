// Placeholder until the process runner lands.
#include "platform/LinuxPlatform.h"

namespace viruzedi {
namespace {
class NoProcesses : public ProcessRunner {
 public:
  bool RunAndWait(const std::vector<std::string>&) override { return false; }
};
}  // namespace

std::unique_ptr<ProcessRunner> MakePosixProcessRunner() {
  return std::make_unique<NoProcesses>();
}
}  // namespace viruzedi
