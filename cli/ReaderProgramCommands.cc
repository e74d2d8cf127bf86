// `viruzedi scarica2` and `viruzedi scarica-zidorivovi`: the reader program
// imports.
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "cli/Command.h"
#include "viruzedi/Enumerations.h"
#include "platform/Environment.h"
#include "readerprog/ReaderCommandLine.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

// The parameters of both imports: the database, and what the component
// takes with its own defaults (which the help shows from these values).
struct ReaderProgramOptions {
  std::string database;
  ReaderProgramParameters p;
};

// An enumeration option takes the member's name (any case) or a number of
// the range that the reader program can use: a number beyond it would
// reach the program only to be refused after the command had started.
template <size_t N>
CLI::Transformer MemberNames(const EnumerationMember (&members)[N]) {
  std::map<std::string, std::string> names;
  for (const EnumerationMember& member : members) {
    names[member.name] = std::to_string(member.value);
  }
  return CLI::Transformer(names, CLI::ignore_case);
}

std::shared_ptr<ReaderProgramOptions> AddOptions(CLI::App& command, const char* databaseName,
                                                 const char* fileName) {
  auto o = std::make_shared<ReaderProgramOptions>();
  // DB may come from VIRUZEDI_DB (or the db setting): then the one word
  // given is FILE. CLI11 fills positionals in order, so the word is moved
  // once the command's words are all read.
  CLI::Option* database = command.add_option(
      "DB", o->database,
      std::string("Target database file (") + databaseName +
          "); when VIRUZEDI_DB or the db setting gives it, FILE may stand alone");
  CLI::Option* file = command.add_option(
      "FILE", o->p.PercorsoFile, std::string("Reader file that DO_Duri.exe writes (") + fileName + ")");
  command.parse_complete_callback([o, database, file] {
    if (file->count() > 0) return;
    if (database->count() == 0) throw CLI::RequiredError("FILE");
    o->p.PercorsoFile = o->database;
    o->database = EnvironmentValue("VIRUZEDI_DB");
    if (o->database.empty()) {
      throw CLI::RequiredError("DB (or VIRUZEDI_DB, or db in a settings file)");
    }
  });
  command.add_option("--porta-com", o->p.PortaCOM,
                     "Serial port of the reader (PortaCOM; its device comes from --com N=DEVICE)")
      ->transform(MemberNames(kScaricaCOMMembers))
      ->check(CLI::Range(0, 255))
      ->capture_default_str();
  command.add_option("--baud", o->p.Baud,
                     "Speed code, not the speed (Baud)")
      ->transform(MemberNames(kScaricaBaudMembers))
      ->check(CLI::Range(1, 5))
      ->capture_default_str();
  command.add_option("--mod-file", o->p.ModFile,
                     "What DO_Duri.exe does with an existing reader file (ModFile)")
      ->transform(MemberNames(kScaricaModFileMembers))
      ->check(CLI::Range(1, 4))
      ->capture_default_str();
  AddBooleanOption(command, "--cr", o->p.CR, "Lines of the reader file end with CR (CR)");
  AddBooleanOption(command, "--lf", o->p.LF, "Lines of the reader file end with LF (LF)");
  AddBooleanOption(command, "--mostra-errore", o->p.MostraErrore,
                   "DO_Duri.exe prints its errors (MostraErrore)");
  AddBooleanOption(command, "--mostra-file", o->p.MostraFile,
                   "DO_Duri.exe prints the reader file (MostraFile)");
  AddBooleanOption(command, "--mostra-maschera", o->p.MostraMaschera,
                   "DO_Duri.exe prints its progress (MostraMaschera)");
  command.add_option("--timeout", o->p.Timeout,
                     "Seconds of silence after which DO_Duri.exe stops listening (Timeout; "
                     "below 1 means " +
                         std::to_string(reader_program_defaults::kTimeout) + ")")
      ->capture_default_str();
  return o;
}

CommandRegistration scarica2(
    "scarica2",
    {CommandGroup::kReaderProgram, 1,
     "Run DO_Duri.exe, then import its reader file (code;quantity[;lot])",
     "viruzedi --com 3=/dev/ttyUSB0 scarica2 magazzino.db letture.txt --porta-com 3 --baud "
     "B38400"},
    [](CLI::App& command) -> CommandAction {
      auto o = AddOptions(command, "PercorsoMDB", "PercorsoFile");
      return [o](CliRun& run) {
        run.Component().Scarica2(o->database, o->p.PercorsoFile, o->p.PortaCOM, o->p.Baud, o->p.ModFile,
                                 o->p.CR, o->p.LF, o->p.MostraErrore, o->p.MostraFile,
                                 o->p.MostraMaschera, o->p.Timeout);
      };
    });

CommandRegistration scaricaZidoriVovi(
    "scarica-zidorivovi",
    {CommandGroup::kReaderProgram, 2,
     "Run DO_Duri.exe, then import its GS1 labels (element string;SSCC)",
     "viruzedi --com 3=/dev/ttyUSB0 scarica-zidorivovi magazzino.db etichette.txt "
     "--porta-com 3"},
    [](CLI::App& command) -> CommandAction {
      auto o = AddOptions(command, "MDB_TabellaTemp", "FileTxtTemp");
      return [o](CliRun& run) {
        run.Component().Scarica_ZidoriVovi(o->database, o->p.PercorsoFile, o->p.PortaCOM, o->p.Baud,
                                           o->p.ModFile, o->p.CR, o->p.LF, o->p.MostraErrore,
                                           o->p.MostraFile, o->p.MostraMaschera, o->p.Timeout);
      };
    });

}  // namespace
}  // namespace viruzedi::cli
