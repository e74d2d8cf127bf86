#include "cli/Settings.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include <CLI/CLI.hpp>

#include "base/Text.h"
#include "platform/ChildProcess.h"
#include "platform/Environment.h"

namespace viruzedi::cli {
namespace {

// The keys of a settings file, each with the variable it becomes and the
// global option that sets it, in the order `impostazioni` shows them.
struct Key {
  const char* name;
  const char* variable;  // for com, the prefix of VIRUZEDI_COM<N>
  const char* option;
};
constexpr Key kKeys[] = {
    {"letture", "VIRUZEDI_LETTURE", "--letture"},
    {"com", "VIRUZEDI_COM", "--com"},
    {"terminale", "VIRUZEDI_TERMINALE", "--terminale"},
    {"zirav", "VIRUZEDI_ZIRAV", "--zirav"},
    {"db", "VIRUZEDI_DB", "--db"},
};
constexpr const char kKeyList[] = "letture, com, terminale, zirav, db";
constexpr const char kComVariable[] = "VIRUZEDI_COM";

SettingsError FileFailure(const std::string& path, const std::string& what) {
  return SettingsError("settings file " + path + ": " + what);
}

// The characters of a TOML bare key; CLI11's reader takes any text before
// "=" (or a whole line without one) as a key, so this is where a line that
// is not `key = value` shows.
bool IsBareKey(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '-';
  });
}

// CLI11's reader leaves the quote of a string it could not close; it also
// ends a value at "#" even inside quotes, which shows here the same way.
bool HasUnclosedQuote(const std::string& value) {
  auto isQuote = [](char c) { return c == '"' || c == '\''; };
  return !value.empty() && (isQuote(value.front()) || isQuote(value.back()));
}

const Key* FindKey(const std::string& name) {
  for (const Key& key : kKeys) {
    if (name == key.name) return &key;
  }
  return nullptr;
}

void AddPorts(SettingsSource& source, const std::vector<std::string>& entries,
              const std::string& path) {
  std::set<std::string> seen;
  for (const std::string& entry : entries) {
    std::optional<std::pair<std::string, std::string>> port = PortSetting(entry);
    if (!port) {
      throw FileFailure(path, "com entry \"" + entry +
                                  "\" is not N=DEVICE (N from 1 to 255, no leading zero; "
                                  "DEVICE not empty)");
    }
    if (!seen.insert(port->first).second) {
      throw FileFailure(path, "com gives port " + port->first + " twice");
    }
    source.values[kComVariable + port->first] = port->second;
  }
}

std::string DefaultValue(const Key& key) {
  std::string name = key.name;
  const DefaultSettingsText& defaults = SystemDefaultsText();
  if (name == "letture") {
    std::string folder = defaults.downloadFolder;
    std::string home = EnvironmentValue("HOME");
    if (folder.starts_with("$HOME") && !home.empty()) folder.replace(0, 5, home);
    return folder;
  }
  if (name == "com") return std::string(defaults.serialDevice) + " for every other port N";
  if (name == "terminale") return "none (no terminal)";
  if (name == "zirav") return defaults.infraredLibrary;
  return "none (each command needs --db)";
}

std::optional<Setting> FirstHolding(const std::vector<SettingsSource>& sources,
                                    const std::string& name, const std::string& variable) {
  for (const SettingsSource& source : sources) {
    auto found = source.values.find(variable);
    if (found != source.values.end()) {
      return Setting{name, variable, found->second, source.origin, source.file};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::pair<std::string, std::string>> PortSetting(const std::string& given) {
  std::string::size_type equals = given.find('=');
  if (equals == std::string::npos || equals + 1 == given.size()) return std::nullopt;
  std::string number = given.substr(0, equals);
  if (number.empty() || number.size() > 3 || number[0] == '0') return std::nullopt;
  for (char c : number) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  if (std::stoi(number) > 255) return std::nullopt;
  return std::make_pair(number, given.substr(equals + 1));
}

std::string UserSettingsFile() { return SystemSettingsFiles().user; }

std::string MachineSettingsFile() {
  std::string given = EnvironmentValue("VIRUZEDI_CONFIG_MACHINE");
  return given.empty() ? SystemSettingsFiles().machine : given;
}

SettingsSource ReadSettingsFile(const std::string& path, SettingOrigin origin) {
  SettingsSource source{origin, path, false, {}};
  std::error_code error;
  std::filesystem::file_type type = std::filesystem::status(path, error).type();
  if (type == std::filesystem::file_type::not_found) {
    if (origin != SettingOrigin::kGivenFile) return source;
    throw FileFailure(path, "does not exist");
  }
  // A folder opens as an empty stream: it would read as a file of no settings.
  if (type == std::filesystem::file_type::directory) throw FileFailure(path, "is a folder");
  source.found = true;

  std::vector<CLI::ConfigItem> items;
  try {
    items = CLI::ConfigTOML().from_file(path);
  } catch (const CLI::Error&) {
    throw FileFailure(path, "cannot be read");
  }

  std::set<std::string> seen;
  for (const CLI::ConfigItem& item : items) {
    if (!item.parents.empty()) {
      // Section markers name only their table.
      bool marker = item.name == "++" || item.name == "--";
      std::string key = marker ? CLI::detail::join(item.parents, ".") : item.fullname();
      throw FileFailure(path, "unknown key \"" + key + "\" (the keys are " + kKeyList + ")");
    }
    if (!IsBareKey(item.name)) {
      throw FileFailure(path, item.name.empty()
                                  ? std::string("is not TOML: a value without a key")
                                  : "is not TOML: \"" + item.name + "\" is not KEY = VALUE");
    }
    const Key* key = FindKey(item.name);
    if (!key) {
      throw FileFailure(path,
                        "unknown key \"" + item.name + "\" (the keys are " + kKeyList + ")");
    }
    if (!seen.insert(item.name).second) {
      throw FileFailure(path, "is not TOML: key \"" + item.name + "\" given twice");
    }
    for (const std::string& value : item.inputs) {
      if (HasUnclosedQuote(value)) {
        throw FileFailure(path, "is not TOML: the value of \"" + item.name +
                                    "\" has an unclosed quote (\"#\" begins a comment, even "
                                    "inside quotes)");
      }
    }
    if (item.name == "com") {
      AddPorts(source, item.inputs, path);
      continue;
    }
    if (item.inputs.size() != 1) {
      throw FileFailure(path, "\"" + item.name +
                                  "\" takes one value (quote a value with commas or spaces)");
    }
    if (item.inputs[0].empty()) throw FileFailure(path, "\"" + item.name + "\" has no value");
    source.values[key->variable] = item.inputs[0];
  }
  return source;
}

SettingsSource OptionSettings(const std::string& letture, const std::vector<std::string>& ports,
                              const std::string& terminale, const std::string& zirav) {
  SettingsSource source{SettingOrigin::kOption, "", false, {}};
  if (!letture.empty()) source.values["VIRUZEDI_LETTURE"] = letture;
  if (!terminale.empty()) source.values["VIRUZEDI_TERMINALE"] = terminale;
  if (!zirav.empty()) source.values["VIRUZEDI_ZIRAV"] = zirav;
  for (const std::string& port : ports) {
    std::optional<std::pair<std::string, std::string>> setting = PortSetting(port);
    if (!setting) {
      throw SettingsError(
          "--com takes N=DEVICE (N from 1 to 255, no leading zero; DEVICE not empty), not \"" +
          port + "\"");
    }
    // As a settings file refuses the same: one of the two devices is a
    // mistake, and taking either would send a download to the wrong port.
    auto [held, added] = source.values.emplace(kComVariable + setting->first, setting->second);
    if (!added) {
      throw SettingsError("--com gives port " + setting->first + " twice (\"" + held->second +
                          "\" and \"" + setting->second + "\")");
    }
  }
  return source;
}

SettingsSource EnvironmentSettings() {
  SettingsSource source{SettingOrigin::kVariable, "", false, {}};
  auto take = [&source](const std::string& variable) {
    std::string value = EnvironmentValue(variable.c_str());
    if (!value.empty()) source.values[variable] = value;
  };
  for (const Key& key : kKeys) {
    if (std::string(key.name) != "com") take(key.variable);
  }
  for (int port = 1; port <= 255; ++port) take(kComVariable + std::to_string(port));
  return source;
}

std::vector<Setting> EffectiveSettings(const std::vector<SettingsSource>& sources) {
  std::vector<Setting> settings;
  for (const Key& key : kKeys) {
    if (std::string(key.name) != "com") {
      std::optional<Setting> held = FirstHolding(sources, key.name, key.variable);
      settings.push_back(held ? *held
                              : Setting{key.name, key.variable, DefaultValue(key),
                                        SettingOrigin::kDefault, ""});
      continue;
    }
    std::set<int> ports;
    for (const SettingsSource& source : sources) {
      for (const auto& [variable, value] : source.values) {
        if (variable.rfind(kComVariable, 0) == 0) {
          ports.insert(std::stoi(variable.substr(sizeof kComVariable - 1)));
        }
      }
    }
    for (int port : ports) {
      std::string number = std::to_string(port);
      settings.push_back(*FirstHolding(sources, "com " + number, kComVariable + number));
    }
    settings.push_back(Setting{"com", std::string(kComVariable) + "<N>", DefaultValue(key),
                               SettingOrigin::kDefault, ""});
  }
  return settings;
}

std::string OriginText(const Setting& setting) {
  switch (setting.origin) {
    case SettingOrigin::kOption: {
      std::string name = setting.name.substr(0, setting.name.find(' '));
      const Key* key = FindKey(name);
      return std::string("option ") + (key ? key->option : name.c_str());
    }
    case SettingOrigin::kVariable: return "variable " + setting.variable;
    case SettingOrigin::kDefault: return "default";
    default: return FileText(setting.origin, setting.file);
  }
}

std::string FileText(SettingOrigin origin, const std::string& file) {
  switch (origin) {
    case SettingOrigin::kGivenFile: return "file " + file + " (--config)";
    case SettingOrigin::kUserFile: return "user file " + file;
    case SettingOrigin::kMachineFile: return "machine file " + file;
    default: return file;
  }
}

}  // namespace viruzedi::cli
