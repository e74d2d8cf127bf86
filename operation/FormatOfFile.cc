#include "operation/FormatOfFile.h"

#include <memory>

#include "base/Errors.h"
#include "base/Text.h"
#include "operation/Messages.h"

namespace viruzedi {

void RaiseNotOfFormat(const std::string& path, ImportFormat format, const std::string& why,
                      ErrorNumber number) {
  // "Il file esiste già" would send the person the wrong way: a 58 says
  // only what is wrong.
  const std::string standard =
      number == kFileAlreadyExists ? std::string() : ErrorDescription(number) + ". ";
  throw AutomationError(number, standard + path + kNonDelFormato + ImportFormatName(format) + ": " +
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
