// The process environment, which only the default platform and the command
// line read (the component's operations get their settings from Platform).
#pragma once

#include <string>

namespace viruzedi {

// Reads an environment variable; "" when unset.
std::string EnvironmentValue(const std::string& name);

// The settings' defaults of this system as the command's help and its list
// of settings tell them to a person.
struct DefaultSettingsText {
  const char* downloadFolder;   // with "$HOME" where the home folder goes
  const char* serialDevice;     // of port N
  const char* infraredLibrary;  // where it is looked for
};
const DefaultSettingsText& SystemDefaultsText();

}  // namespace viruzedi
