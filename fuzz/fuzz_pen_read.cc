// A line of the pen reader (the bytes the port delivered before LF CR), cut
// into its fields and stored as the pen download stores it, on a real
// database.
//
// Properties:
//  - a line fails only with 5 (fewer than three ";"), 6 or 13, and the cuts
//    leave the text after the third ";" behind whatever fails after them;
//  - the code is the text before the first ";", read as Windows-1252;
//  - the statement parses, carries the read's values, and the engine stores it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/Errors.h"
#include "database/Row.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/Windows1252.h"
#include "serial/PenRead.h"

namespace viruzedi::fuzz {
namespace {

// The text after the `n`th ";", or nothing when there are fewer.
std::optional<std::string> AfterSemicolon(const std::string& line, int n) {
  size_t position = 0;
  for (int i = 0; i < n; ++i) {
    position = line.find(';', position);
    if (position == std::string::npos) return std::nullopt;
    ++position;
  }
  return line.substr(position);
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace viruzedi;
  using namespace viruzedi::fuzz;
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> quantity = AfterSemicolon(line, 3);

  std::string riga = line;
  PenRead read;
  try {
    read = CutPenRead(riga);
  } catch (const AutomationError& error) {
    if (!quantity) {
      Require(error.number == kInvalidArgument, "a line short of three ; is 5");
      return 0;
    }
    Require(error.number == kOverflow || error.number == kTypeMismatch,
            "a field's error is 6 or 13");
    Require(riga == *quantity, "the cuts leave the quantity text");
    return 0;
  }
  Require(quantity && riga == *quantity, "the cuts leave the quantity text");
  Require(read.codice == Windows1252ToUtf8(line.substr(0, line.find(';'))),
          "the code is the text before the first ;");

  // Fifteen digits of the very largest quantities round past the double
  // range; the engine then refuses the number.
  if (std::fabs(read.quantita) >= 1.79769313486231e308) return 0;
  const Row row = PenReadRow(read);
  using Kind = RowValue::Kind;
  Require(row.columns.size() == 4, "the read's columns");
  Require(row.columns[0].value.kind == Kind::Text && row.columns[0].value.text == read.codice, "Codart");
  Require(row.columns[1].value.kind == Kind::Integer && row.columns[1].value.number == read.idSottoOrdine,
          "id sottoOrd");
  Require(row.columns[2].value.kind == Kind::Integer && row.columns[2].value.number == read.idLotto, "IdLotto");
  Require(row.columns[3].value.kind == Kind::Number &&
              SameToFifteenDigits(row.columns[3].value.number, read.quantita),
          "Quantità");
  static ScratchDatabase database("pen.db");
  database.Open().InsertRow(row);
  return 0;
}
