// The reader file that the reader program leaves for the component: it
// exists if and only if reads were received (in the modes that replace it),
// and appears whole or not at all.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "devices/DoDuri/Arguments.h"

namespace viruzedi::doduri {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the received lines, each followed by `lineEnd`:
//  - kSovrascrivi, kAuto: the file is replaced (written aside, then renamed
//    over it, so a reader of the file never sees it half written);
//  - kAccoda: the lines are appended; an old last line without a line end
//    gets one first, so it does not run into the first new line;
//  - kRinomina: an existing file is first renamed to <name>.<stamp>
//    (stamp "yyyymmdd-hhnnss"; "-2", "-3"... added when that name is
//    taken, never replacing a file), then the file is written anew.
// Throws FileError, with the file's name and the system's reason.
void WriteReaderFile(const std::string& path, const std::vector<std::string>& lines,
                     FileMode mode, const std::string& lineEnd, const std::string& stamp);

// What is left when nothing was received: in kSovrascrivi and kAuto mode
// the file is removed, so the component sees that no data arrived; the
// other modes keep it. Throws FileError when it cannot be removed.
void ForgetReaderFile(const std::string& path, FileMode mode);

}  // namespace viruzedi::doduri
