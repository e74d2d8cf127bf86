// The command-line splitter of the process runner, on any text and on the
// reader program's own command lines.
//
// Properties:
//  - no argument keeps a double quote, and splitting arguments joined back
//    (each in double quotes) gives the same arguments;
//  - the command line built for any component folder and reader file splits
//    into exactly the program's path and the argument list, both unchanged;
//    a path holding a double quote, which no quoting carries, is refused.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "fuzz/support/FuzzSupport.h"
#include "readerprog/ReaderCommandLine.h"

namespace viruzedi::fuzz {
namespace {

void CheckSplit(const std::string& text) {
  const std::vector<std::string> arguments = SplitCommandLine(text);
  std::string joined;
  for (const std::string& argument : arguments) {
    Require(argument.find('"') == std::string::npos, "no argument keeps a double quote");
    joined += (joined.empty() ? "\"" : " \"") + argument + "\"";
  }
  Require(SplitCommandLine(joined) == arguments, "quoted arguments split back the same");
}

void CheckReaderCommandLine(FuzzedDataProvider& input) {
  const std::string folder = FolderWithSeparator(input.ConsumeRandomLengthString(200), '/');
  Require(folder.ends_with('/'), "the folder ends in its separator");
  ReaderProgramParameters p;
  p.PortaCOM = input.ConsumeIntegral<int32_t>();
  p.Baud = input.ConsumeIntegral<int32_t>();
  p.ModFile = input.ConsumeIntegral<int32_t>();
  p.CR = input.ConsumeBool();
  p.LF = input.ConsumeBool();
  p.MostraErrore = input.ConsumeBool();
  p.MostraFile = input.ConsumeBool();
  p.MostraMaschera = input.ConsumeBool();
  p.Timeout = input.ConsumeIntegral<int16_t>();
  p.PercorsoFile = input.ConsumeRandomLengthString(200);

  std::string commandLine;
  try {
    commandLine = ReaderProgramCommandLine(folder, p);
  } catch (const AutomationError& error) {
    Require(error.number == kInvalidArgument, "a path that cannot be quoted is 5");
    Require((folder + p.PercorsoFile).find('"') != std::string::npos,
            "only a path holding a double quote is refused");
    return;
  }
  auto flag = [](bool value) { return value ? ",1" : ",0"; };
  const std::string list = p.PercorsoFile + "," + std::to_string(p.PortaCOM) + "," +
                           std::to_string(p.Baud) + "," + std::to_string(p.ModFile) +
                           flag(p.CR) + flag(p.LF) + flag(p.MostraErrore) +
                           flag(p.MostraFile) + flag(p.MostraMaschera) + ",0," +
                           std::to_string(p.Timeout);
  const std::vector<std::string> expected = {folder + kReaderProgramName, list};
  Require(SplitCommandLine(commandLine) == expected,
          "the reader program gets its path and its argument list unchanged");
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  viruzedi::fuzz::CheckSplit(std::string(reinterpret_cast<const char*>(data), size));
  FuzzedDataProvider input(data, size);
  viruzedi::fuzz::CheckReaderCommandLine(input);
  return 0;
}
