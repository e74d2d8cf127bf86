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
  const char* userSettingsFile;     // the places of SystemSettingsFiles(), as
  const char* machineSettingsFile;  // the help names them to a person
};
const DefaultSettingsText& SystemDefaultsText();

// Where the command's settings files are on this system, from the
// environment of the process. `user` is "" when the environment names no
// folder for it (the command then reads the machine's file alone).
struct SettingsFilePlaces {
  std::string user;
  std::string machine;
};
SettingsFilePlaces SystemSettingsFiles();

}  // namespace viruzedi
