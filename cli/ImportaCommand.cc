// `viruzedi importa`: finishes a file that waits, once the cause of its
// failure is fixed, as the download that left it would have.
#include <memory>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "cli/Command.h"

namespace viruzedi::cli {
namespace {

std::vector<std::string> FormatNames() {
  std::vector<std::string> names;
  for (ImportFormat format : kImportFormats) names.push_back(ImportFormatName(format));
  return names;
}

ImportFormat FormatNamed(const std::string& name) {
  for (ImportFormat format : kImportFormats) {
    if (name == ImportFormatName(format)) return format;
  }
  RaiseError(kInvalidArgument, name);  // the option's check lets none other through
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
        component.ImportaFile(*file, FormatNamed(*format));
      };
    });

}  // namespace
}  // namespace viruzedi::cli
