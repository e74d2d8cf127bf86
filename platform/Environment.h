// The process environment, which only the default platform and the command
// line read (the component's operations get their settings from Platform).
#pragma once

#include <string>

namespace viruzedi {

// Reads an environment variable; "" when unset.
std::string EnvironmentValue(const std::string& name);

}  // namespace viruzedi
