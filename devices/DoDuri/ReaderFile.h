// The reader file that the reader program leaves for the component: it
// exists if and only if reads were received (in the modes that replace it),
// and appears whole or not at all.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "devices/DoDuri/Arguments.h"

namespace viruzedi::doduri {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Asked once, just before the first name in the reader file's folder is
// changed: true leaves every name as it was (the new content, written
// aside, is dropped) and the call throws Abandoned.
using StopCheck = std::function<bool()>;

class Abandoned : public std::runtime_error {
 public:
  Abandoned() : std::runtime_error("interrotto: file delle letture lasciato com'era") {}
};

// Writes the received lines, each followed by `lineEnd`, always aside and
// then renamed into place, so that a kill at any moment leaves either the
// old file or the whole new one:
//  - kSovrascrivi, kAuto: the new file replaces the old;
//  - kAccoda: the old content is copied aside and the lines appended to the
//    copy; an old last line without a line end gets one first, so it does
//    not run into the first new line;
//  - kRinomina: an existing file is first renamed to <name>.<stamp>
//    (stamp "yyyymmdd-hhnnss"; "-2", "-3"... added when that name is
//    taken, never replacing a file), then the new file is put in place.
// Throws FileError, with the file's name and the system's reason.
void WriteReaderFile(const std::string& path, const std::vector<std::string>& lines,
                     FileMode mode, const std::string& lineEnd, const std::string& stamp,
                     const StopCheck& stopped);

// What is left when nothing was received, so that an earlier file is never
// taken for this run's reads: in kSovrascrivi and kAuto mode the file is
// removed, in kRinomina it is renamed to <name>.<stamp> as above, in
// kAccoda it stays. Throws FileError when that fails.
void ForgetReaderFile(const std::string& path, FileMode mode, const std::string& stamp,
                      const StopCheck& stopped);

}  // namespace viruzedi::doduri
