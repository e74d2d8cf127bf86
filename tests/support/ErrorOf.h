// The number of the AutomationError an action throws, 0 when it throws none.
#pragma once

#include <functional>

#include "base/Errors.h"

namespace viruzedi::testing {

inline int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const AutomationError& error) {
    return error.number;
  }
  return 0;
}

}  // namespace viruzedi::testing
