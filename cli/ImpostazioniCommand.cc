// `viruzedi impostazioni`: every effective setting and where it came from,
// so that a person can tell why a download went to a port or a folder.
#include <algorithm>
#include <iostream>
#include <string>

#include "base/Masking.h"
#include "cli/Command.h"
#include "platform/Environment.h"

namespace viruzedi::cli {
namespace {

CommandRegistration impostazioni(
    "impostazioni",
    {CommandGroup::kSettingUp, 2, "Show every setting, its value and where it came from",
     "viruzedi --config ./postazione.conf impostazioni"},
    [](CLI::App& command) -> CommandAction {
      const DefaultSettingsText& defaults = SystemDefaultsText();
      command.footer(std::string("Precedence, highest first: option, variable, user file (") +
                     defaults.userSettingsFile + "), machine file (" +
                     defaults.machineSettingsFile +
                     "), default. --config FILE replaces both files. Passwords show as ***.");
      return [](CliRun& run) {
        const std::vector<Setting>& settings = run.Settings();
        size_t nameWidth = 0, valueWidth = 0;
        std::vector<std::string> values;
        for (const Setting& setting : settings) {
          values.push_back(MaskPasswords(setting.value));
          nameWidth = std::max(nameWidth, setting.name.size());
          valueWidth = std::max(valueWidth, values.back().size());
        }
        for (size_t i = 0; i < settings.size(); ++i) {
          std::cout << settings[i].name << std::string(nameWidth - settings[i].name.size() + 2, ' ')
                    << values[i] << std::string(valueWidth - values[i].size() + 2, ' ')
                    << OriginText(settings[i]) << "\n";
        }
        // Named even when missing: a person who wants to write one learns
        // where this system looks for it.
        std::cout << "\nsettings files, highest first:\n";
        for (const SettingsSource& file : run.SettingsFiles()) {
          std::cout << "  " << FileText(file.origin, file.file)
                    << (file.found ? "" : " (not there)") << "\n";
        }
      };
    });

}  // namespace
}  // namespace viruzedi::cli
