// The one comma-separated argument of the reader program:
//   <reader file>,<port>,<speed code>,<file mode>,<CR>,<LF>,<show errors>,
//   <show file>,<show window>,<reserved>,<timeout>
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "viruzedi/ReaderProgramDefaults.h"

namespace viruzedi::doduri {

enum FileMode { kSovrascrivi = 1, kAccoda = 2, kRinomina = 3, kAuto = 4 };

struct Arguments {
  std::string readerFile;
  int port = 1;
  int baud = 115200;  // from the speed code
  FileMode mode = kSovrascrivi;
  bool cr = true;
  bool lf = true;
  bool showErrors = false;
  bool showFile = false;
  bool showWindow = false;
  int timeoutSeconds = reader_program_defaults::kTimeout;  // at least 1
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // The reader file and its mode, when they could be read before the fault.
  std::string readerFile;
  std::optional<FileMode> mode;
};

// Reads the argument list. The words after the program's name are joined
// with one space first, so a reader file with a space survives a caller
// that did not quote it. The ten settings are taken from the end, so a
// comma in the reader file's path is kept as part of it. Throws UsageError
// for a list that does not have this form, a speed code outside 1..5 or a
// file mode outside 1..4 (a port below 1 names no device: the port fails).
// A timeout below 1 is 10.
// The reader file and the mode are read first, so that the fault can still
// be handled by the file's rules.
Arguments ParseArguments(const std::vector<std::string>& words);

}  // namespace viruzedi::doduri
