#include "readerprog/ReaderCommandLine.h"

namespace viruzedi {

namespace {

std::string QuotedWhenSpaced(const std::string& path) {
  if (path.find(' ') == std::string::npos) return path;
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

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;  // an argument has begun, perhaps empty ("")
  bool quoted = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

}  // namespace viruzedi
