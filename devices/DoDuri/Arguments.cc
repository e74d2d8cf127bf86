#include "devices/DoDuri/Arguments.h"

#include <charconv>

#include "viruzedi/ReaderProgramDefaults.h"

namespace viruzedi::doduri {

namespace {

constexpr size_t kSettings = 10;

int Number(const std::string& text, const char* what) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) {
    throw UsageError(std::string(what) + " non numerico: \"" + text + "\"");
  }
  return value;
}

int BaudOfCode(int code) {
  switch (code) {
    case 1: return 115200;
    case 2: return 57600;
    case 3: return 38400;
    case 4: return 19200;
    case 5: return 9600;
    default: throw UsageError("codice di velocità sconosciuto: " + std::to_string(code));
  }
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) {
    if (!joined.empty()) joined += ' ';
    joined += word;
  }
  std::vector<std::string> fields{""};
  for (char c : joined) {
    if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  if (fields.size() < kSettings + 1) {
    throw UsageError("attesi: FILE,PORTA,VELOCITÀ,MODO,CR,LF,ERRORI,FILE,MASCHERA,0,TIMEOUT");
  }

  Arguments arguments;
  const size_t pathFields = fields.size() - kSettings;
  for (size_t i = 0; i < pathFields; ++i) {
    if (i > 0) arguments.readerFile += ',';
    arguments.readerFile += fields[i];
  }
  // A caller that quoted the path without a splitter of its own.
  std::string& file = arguments.readerFile;
  if (file.size() >= 2 && file.front() == '"' && file.back() == '"') {
    file = file.substr(1, file.size() - 2);
  }
  if (file.empty()) throw UsageError("manca il file delle letture");

  const std::string* setting = &fields[pathFields];
  const int mode = Number(setting[2], "modo del file");
  if (mode < kSovrascrivi || mode > kAuto) {
    throw UsageError("modo del file sconosciuto: " + setting[2]);
  }
  arguments.mode = static_cast<FileMode>(mode);
  try {
    // A port below 1 is a number all the same: it names no device, which
    // is the port's failure, not the argument list's.
    arguments.port = Number(setting[0], "porta");
    arguments.baud = BaudOfCode(Number(setting[1], "codice di velocità"));
    arguments.cr = Number(setting[3], "CR") != 0;
    arguments.lf = Number(setting[4], "LF") != 0;
    arguments.showErrors = Number(setting[5], "mostra errore") != 0;
    arguments.showFile = Number(setting[6], "mostra file") != 0;
    arguments.showWindow = Number(setting[7], "mostra maschera") != 0;
    Number(setting[8], "riservato");  // always 0; no meaning of its own
    const int timeout = Number(setting[9], "timeout");
    arguments.timeoutSeconds = timeout < 1 ? reader_program_defaults::kTimeout : timeout;
  } catch (UsageError& error) {
    error.readerFile = arguments.readerFile;
    error.mode = arguments.mode;
    throw;
  }
  return arguments;
}

}  // namespace viruzedi::doduri
