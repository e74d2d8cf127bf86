// Child processes: the stand-in for process creation and waiting.
#pragma once

#include <string>
#include <vector>

namespace viruzedi {

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // Starts the program named by the first argument with the others, and
  // waits without limit for it to end. Returns false, at once, when the
  // program cannot be started; never throws.
  virtual bool RunAndWait(const std::vector<std::string>& arguments) = 0;
};

}  // namespace viruzedi
