// `viruzedi importa`: finishes a file that waits, once the cause of its
// failure is fixed, as the download that left it would have.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace viruzedi::cli {
namespace {

const std::map<std::string, ImportFormat> kFormats{
    {"scarica", ImportFormat::kScarica},
    {"scarica3", ImportFormat::kScarica3},
    {"scarica4", ImportFormat::kScarica4},
    {"scarica5", ImportFormat::kScarica5},
    {"scarica-rimesseof", ImportFormat::kScaricaRimesseOF},
    {"scarica2", ImportFormat::kScarica2},
    {"scarica-zidorivovi", ImportFormat::kScaricaZidoriVovi},
};

std::vector<std::string> FormatNames() {
  std::vector<std::string> names;
  for (const auto& [name, unused] : kFormats) names.push_back(name);
  return names;
}

CommandRegistration importa(
    "importa",
    {CommandGroup::kOperatorTools, 2,
     "Import one waiting file as its download would, all of it or nothing",
     "viruzedi importa ~/_Letture/MovMag_20261206-093015.tmp --formato scarica4 --db "
     "magazzino.db"},
    [](CLI::App& command) -> CommandAction {
      auto file = std::make_shared<std::string>();
      auto format = std::make_shared<std::string>();
      auto db = std::make_shared<std::string>();
      auto idUt = std::make_shared<int16_t>(0);
      command.add_option("FILE", *file, "The waiting file (see in-attesa)")->required();
      command.add_option("--formato", *format,
                         "The download whose file it is: scarica (the pen's "
                         "Penna_non_salvate.txt), scarica3, scarica4, scarica5, "
                         "scarica-rimesseof, scarica2, scarica-zidorivovi")
          ->required()
          ->check(CLI::IsMember(FormatNames()).description(""))
          ->type_name("FORMAT");
      AddDatabaseOption(command, *db);
      command.add_option("--idut", *idUt,
                         "User id written into every row of scarica-rimesseof (IdUt, default 0)");
      return [file, format, db, idUt](CliRun& run) {
        Viruzedi& component = run.Component();
        component.DbPath(*db);
        component.IdUt(*idUt);
        component.ImportaFile(*file, kFormats.at(*format));
      };
    });

}  // namespace
}  // namespace viruzedi::cli
