// `viruzedi gs1`: a label's elements as the GS1 label import reads them, or
// why the import would set it aside; tried at the dock before a reader's
// file is imported.
#include <iostream>
#include <memory>
#include <string>

#include "base/Text.h"
#include "cli/Command.h"
#include "gs1/ElementString.h"
#include "readerprog/Gs1Label.h"

namespace viruzedi::cli {
namespace {

constexpr const char kEtichettaScartata[] = "l'importazione scarterebbe l'etichetta: ";

CommandRegistration gs1(
    "gs1",
    {CommandGroup::kOperatorTools, 4,
     "Show a GS1 label's elements, or why the GS1 label import would set it aside",
     "viruzedi gs1 '(02)08012345612345(37)4(15)261200(10)L-0007'"},
    [](CLI::App& command) -> CommandAction {
      auto text = std::make_shared<std::string>();
      command.add_option("TEXT", *text,
                         "The label: bracketed as printed, (02)...(10)...; as a scanner sends "
                         "it, with ]C1, ]e0, ]d2, ]Q3 or ]J1 in front or not, ^ at the start for "
                         "FNC1 and ^ or the GS character between elements; or a GS1 Digital "
                         "Link address")
          ->required();
      return [text](CliRun&) {
        // Its elements first: a label the import would refuse for what it
        // lacks still shows what it holds.
        const Gs1Reading reading = ReadGs1Label(TrimSpaces(*text));
        for (const Gs1Element& element : reading.elements) {
          std::cout << "(" << element.ai << ") " << element.value << "\n";
        }
        // Before the reason, which goes to standard error.
        std::cout.flush();
        Gs1Label label;
        const std::string refusal = DecodeGs1Label(*text, label);
        if (!refusal.empty()) throw AutomationError(kInvalidArgument, kEtichettaScartata + refusal);
      };
    });

}  // namespace
}  // namespace viruzedi::cli
