// The workstation's settings for one run of the command. The component reads
// only its environment; the command line gathers the settings from its
// options, the environment and the settings files, and writes the winners
// into the environment for the run (so the reader program and the infrared
// library see them too).
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace viruzedi::cli {

// A settings file or a global option that cannot be used: a usage error
// (exit status 2). The text names the file and, where there is one, the key.
struct SettingsError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Where a value came from, highest precedence first.
enum class SettingOrigin { kOption, kVariable, kGivenFile, kUserFile, kMachineFile, kDefault };

// One source of settings. Values are keyed by the environment variable they
// become (VIRUZEDI_LETTURE, VIRUZEDI_COM3, ...), so that every source,
// whatever its own spelling, merges by the same key.
struct SettingsSource {
  SettingOrigin origin = SettingOrigin::kDefault;
  std::string file;  // the file, for the three file origins
  bool found = false;  // whether that file was there
  std::map<std::string, std::string> values;
};

// One effective setting. With kDefault, `value` describes the component's
// default (which the component itself applies: nothing is written for it).
struct Setting {
  std::string name;      // "letture", "com 3", ...
  std::string variable;  // "VIRUZEDI_LETTURE", "VIRUZEDI_COM3", ...
  std::string value;
  SettingOrigin origin = SettingOrigin::kDefault;
  std::string file;
};

// The user's settings file of this system (SystemSettingsFiles): on Linux
// $XDG_CONFIG_HOME/viruzedi/viruzedi.conf, else ~/.config/viruzedi/viruzedi.conf;
// on Windows %APPDATA%\Viruzedi\viruzedi.conf. "" when the environment
// gives no folder for it.
std::string UserSettingsFile();
// VIRUZEDI_CONFIG_MACHINE (so that tests need not write /etc), else the
// machine's file of this system: /etc/viruzedi.conf on Linux,
// %ProgramData%\Viruzedi\viruzedi.conf on Windows.
std::string MachineSettingsFile();

// Reads a TOML settings file with CLI11's reader. A user or machine file that
// does not exist gives no values; a file given with --config must exist
// (/dev/null reads as empty). Throws SettingsError naming the file when it
// cannot be read, is not TOML, has an unknown key, a scalar key without
// exactly one value, or a `com` entry that is not N=DEVICE.
SettingsSource ReadSettingsFile(const std::string& path, SettingOrigin origin);

// The global options of the command line; an empty option counts as not
// given. Throws SettingsError for a --com that is not N=DEVICE, and for two
// --com of one port.
SettingsSource OptionSettings(const std::string& letture, const std::vector<std::string>& ports,
                              const std::string& terminale, const std::string& zirav);

// The variables of this process's environment; an empty one counts as unset.
SettingsSource EnvironmentSettings();

// Every setting, taken from the first of `sources` (highest precedence
// first) that holds it, the others at their default: the settings in the
// order letture, com (by port), terminale, zirav, db.
std::vector<Setting> EffectiveSettings(const std::vector<SettingsSource>& sources);

// "option --letture", "variable VIRUZEDI_COM3", "user file PATH", ...
std::string OriginText(const Setting& setting);
// A settings file as OriginText names it: "user file PATH", "machine file
// PATH", "file PATH (--config)".
std::string FileText(SettingOrigin origin, const std::string& file);

// N=DEVICE as the port's number and the device; none when N is not a port
// number as a person writes it (1 to 255, no sign, no leading zero: "01"
// would set a variable that no port reads) or DEVICE is empty.
std::optional<std::pair<std::string, std::string>> PortSetting(const std::string& given);

}  // namespace viruzedi::cli
