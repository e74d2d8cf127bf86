#include "component/FormatOfFile.h"

#include <memory>

#include "base/AutomationError.h"
#include "base/Text.h"
#include "component/Messages.h"

namespace viruzedi {

void RaiseNotOfFormat(const std::string& path, ImportFormat format, const std::string& why) {
  throw AutomationError(kInvalidArgument, ErrorDescription(kInvalidArgument) + ". " + path +
                                              kNonDelFormato + ImportFormatName(format) + ": " +
                                              why + kRestaInAttesa);
}

std::string NameOfFormats(const std::vector<ImportFormat>& formats) {
  std::string text = kNomeDelFormato;
  for (size_t i = 0; i < formats.size(); ++i) {
    text += (i == 0 ? "" : " oppure ") + std::string(ImportFormatName(formats[i]));
  }
  return text;
}

bool HasLineOfFormat(FileSystem& files, const std::string& path,
                     const std::function<bool(const std::string& line)>& isLine) {
  std::unique_ptr<TextStream> stream = files.OpenTextFile(path);
  bool anyLine = false;
  while (!stream->AtEndOfStream()) {
    const std::string line = stream->ReadLine();
    if (IsBlankLine(line)) continue;
    if (isLine(line)) return true;
    anyLine = true;
  }
  return !anyLine;
}

}  // namespace viruzedi
