// `viruzedi in-attesa`: the received files that wait in the download folder,
// each with the formats `importa` can take it as.
#include <iostream>
#include <string>

#include "cli/Command.h"
#include "terminal/WaitingFiles.h"

namespace viruzedi::cli {
namespace {

CommandRegistration inAttesa(
    "in-attesa",
    {CommandGroup::kOperatorTools, 1,
     "List the files that wait in the download folder, with their formats",
     "viruzedi --letture /srv/letture in-attesa"},
    [](CLI::App&) -> CommandAction {
      return [](CliRun& run) {
        for (const WaitingFile& waiting : WaitingFiles(run.platform())) {
          std::cout << waiting.path << "\t--formato ";
          for (size_t i = 0; i < waiting.formats.size(); ++i) {
            std::cout << (i == 0 ? "" : " oppure ") << ImportFormatName(waiting.formats[i]);
          }
          std::cout << "\n";
        }
      };
    });

}  // namespace
}  // namespace viruzedi::cli
