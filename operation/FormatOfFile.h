// What tells whether a file given to ImportaFile is of the format it was
// given: a file imported as another format's would store wrong rows, or
// none at all and then be archived as imported, its reads lost to the right
// import. Each part of ImportaFile asks before it touches the file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "viruzedi/AutomationError.h"
#include "viruzedi/ImportFormat.h"
#include "platform/FileSystem.h"

namespace viruzedi {

// Refuses the file at `path` for `format`: AutomationError `number`, whose
// text names the file, the format and `why` (a reason of
// component/Messages.h), and says that the file stays as it was. A name
// that tells another format is 58, the number such a file always had;
// lines of no read of the format are 5.
[[noreturn]] void RaiseNotOfFormat(const std::string& path, ImportFormat format,
                                   const std::string& why, ErrorNumber number = kInvalidArgument);

// The reason for a name that is a file's of `formats` (not empty), none of
// them the one given.
std::string NameOfFormats(const std::vector<ImportFormat>& formats);

// False when the text file at `path` has lines that are not blank and
// `isLine` holds for none of them; true otherwise (an empty file too, which
// has no read to lose). Stops at the first line that is one. The file
// system's errors (53, 70, 14).
bool HasLineOfFormat(FileSystem& files, const std::string& path,
                     const std::function<bool(const std::string& line)>& isLine);

}  // namespace viruzedi
