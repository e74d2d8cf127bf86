#include "readerprog/ReaderCommandLine.h"

#include "base/Errors.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {

namespace {

// A tab separates arguments as a space does (SplitCommandLine), so a path
// holding one is quoted too, or the program would get it in two pieces.
std::string QuotedWhenSpaced(const std::string& path) {
  if (path.find_first_of(" \t") == std::string::npos) return path;
  return "\"" + path + "\"";
}

const char* Flag(bool value) { return value ? "1" : "0"; }

}  // namespace

std::string FolderWithSeparator(std::string folder, char separator) {
  if (folder.empty() || folder.back() != separator) folder += separator;
  return folder;
}

std::string ReaderProgramCommandLine(const std::string& folder,
                                     const ReaderProgramParameters& p) {
  // The splitter has no escape for a double quote: such a path would reach
  // the program cut or merged with its neighbour, naming another file.
  if (p.PercorsoFile.find('"') != std::string::npos) {
    RaiseError(kInvalidArgument, kVirgoletteNelFile + p.PercorsoFile);
  }
  if (folder.find('"') != std::string::npos) {
    RaiseError(kInvalidArgument, kVirgoletteNellaCartella + folder);
  }
  std::string arguments = QuotedWhenSpaced(p.PercorsoFile);
  for (const std::string& piece :
       {std::to_string(p.PortaCOM), std::to_string(p.Baud), std::to_string(p.ModFile),
        std::string(Flag(p.CR)), std::string(Flag(p.LF)), std::string(Flag(p.MostraErrore)),
        std::string(Flag(p.MostraFile)), std::string(Flag(p.MostraMaschera)), std::string("0"),
        std::to_string(p.Timeout)}) {
    arguments += ',';
    arguments += piece;
  }
  return QuotedWhenSpaced(folder + kReaderProgramName) + " " + arguments;
}

}  // namespace viruzedi
