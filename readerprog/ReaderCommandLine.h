// The command line of the reader program (split back into arguments by the
// process runner's SplitCommandLine). Pure functions: no file is looked at.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProcessRunner.h"
#include "viruzedi/ReaderProgramDefaults.h"

namespace viruzedi {

// File name of the reader program, in the component's own folder.
inline constexpr const char kReaderProgramName[] = "DO_Duri.exe";

// The parameters of a reader program import that go into its command line,
// as the caller passed them: the enumerations are not validated.
struct ReaderProgramParameters {
  std::string PercorsoFile;  // the reader file
  int32_t PortaCOM = reader_program_defaults::kPortaCOM;
  int32_t Baud = reader_program_defaults::kBaud;
  int32_t ModFile = reader_program_defaults::kModFile;
  bool CR = reader_program_defaults::kCR;
  bool LF = reader_program_defaults::kLF;
  bool MostraErrore = reader_program_defaults::kMostraErrore;
  bool MostraFile = reader_program_defaults::kMostraFile;
  bool MostraMaschera = reader_program_defaults::kMostraMaschera;
  int16_t Timeout = reader_program_defaults::kTimeout;
};

// `folder` with `separator` appended unless it already ends in it (a root
// such as "C:\" or "/" stays as it is).
std::string FolderWithSeparator(std::string folder, char separator);

// "<folder>DO_Duri.exe <file>,<port>,<baud>,<mode>,<cr>,<lf>,<error>,
// <show file>,<show window>,0,<timeout>", the booleans as 1 or 0. `folder`
// ends in its separator. The program path and the reader file's path are
// enclosed in double quotes when they contain a space (or a tab, which
// separates arguments too); nothing else is quoted (a comma in the reader
// file's path is left as it is). Throws AutomationError 5 when the folder
// or the reader file's path holds a double quote, which no quoting can
// carry through SplitCommandLine.
std::string ReaderProgramCommandLine(const std::string& folder,
                                     const ReaderProgramParameters& parameters);

}  // namespace viruzedi
