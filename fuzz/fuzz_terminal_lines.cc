// A file from the terminal, imported as the download pipeline imports it:
// read line by line from a real file as Windows-1252 text, each line split
// at ";" and handed to the line grammar of one of the four downloads, each
// statement run on a real database. The first byte of the input picks the
// grammar, the second the user id; the rest is the file.
//
// Properties, line by line until the first error (which ends an import):
//  - the text stream gives back the file's lines exactly (CR LF, LF and a
//    lone CR each end one): each line's bytes as Windows-1252 text, or, in
//    a file that opens with the UTF-8 byte-order mark, the bytes after the
//    mark as they are (the file was saved as UTF-8);
//  - a line is rejected only by its grammar's bad-code rule;
//  - an error is 6, 9 or 13;
//  - a statement parses, carries the line's values in their columns (texts
//    unchanged, quotes and all), and the engine stores it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Errors.h"
#include "base/Conversions.h"
#include "database/Row.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"
#include "terminal/LineFormats.h"

namespace viruzedi::fuzz {
namespace {

using Kind = RowValue::Kind;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The lines of a file's bytes by the text stream's rule.
std::vector<std::string> RawLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void RequireText(const RowValue& value, const std::string& text, const char* what) {
  Require(value.kind == Kind::Text && value.text == text, what);
}
void RequireInteger(const RowValue& value, double number, const char* what) {
  Require(value.kind == Kind::Integer && value.number == number, what);
}
void RequireQuantity(const RowValue& value, double number) {
  Require(value.kind == Kind::Number && SameToFifteenDigits(value.number, number), "quantity");
}
void RequireDate(const RowValue& value, const CalendarDate& date, const char* what) {
  Require(value.kind == Kind::Date && value.date == date, what);
}

// Each grammar: the quantity it reads, and the check of its row's
// values against the line's fields.
struct Grammar {
  LineGrammar build;
  bool (*rejects)(const Fields& fields);
  double (*quantity)(const Fields& fields);
  void (*check)(const Fields& fields, const Row& row, int16_t idUt);
};

bool NoDollar(const Fields& f) { return !f.empty() && f[0].find('$') == std::string::npos; }

const Grammar kGrammars[] = {
    {SubOrderReadRow, [](const Fields&) { return false; },
     [](const Fields& f) { return TextToDouble(f[3]); },
     [](const Fields& f, const Row& s, int16_t) {
       Require(s.table == "Viruzedi" && s.columns.size() == 5, "sub-order columns");
       RequireText(s.columns[0].value, f[0], "Codart");
       RequireInteger(s.columns[1].value, TextToLong(f[1]), "IdLotto");
       RequireInteger(s.columns[2].value, TextToLong(f[2]), "Id SottoOrd");
       RequireQuantity(s.columns[3].value, TextToDouble(f[3]));
       RequireDate(s.columns[4].value, CalendarDate{2026, 12, 6}, "the day of the import");
     }},
    {StockMovementRow, NoDollar, [](const Fields& f) { return TextToDouble(f[1]); },
     [](const Fields& f, const Row& s, int16_t) {
       Require(s.table == "Viruzedi" && s.columns.size() == 5, "stock movement columns");
       ArticleLot article = *SplitArticleLot(f[0]);
       RequireText(s.columns[0].value, article.codart, "Codart");
       Require(article.codart.find('$') == std::string::npos, "the code ends at the first $");
       RequireInteger(s.columns[1].value, article.idLotto, "IdLotto");
       RequireQuantity(s.columns[2].value, TextToDouble(f[1]));
       RequireDate(s.columns[3].value, DateFromField(f[2]), "Data");
       RequireInteger(s.columns[4].value, TextToInteger(f[3]), "Rep");
     }},
    {ReconciliationRow, NoDollar, [](const Fields& f) { return TextToDouble(f[1]); },
     [](const Fields& f, const Row& s, int16_t) {
       Require(s.table == "Viruzedi" && s.columns.size() == 3, "reconciliation columns");
       ArticleLot article = *SplitArticleLot(f[0]);
       RequireText(s.columns[0].value, article.codart, "Codart");
       RequireInteger(s.columns[1].value, article.idLotto, "IdLotto");
       RequireQuantity(s.columns[2].value, TextToDouble(f[1]));
     }},
    {RemittanceRow,
     [](const Fields& f) { return !f.empty() && !EqualsIgnoreCase(f[0], "$ROF"); },
     [](const Fields& f) { return TextToDouble(f[2]); },
     [](const Fields& f, const Row& s, int16_t idUt) {
       Require(s.table == "Viruzedi_RimesseOF" && s.columns.size() == 5, "remittance columns");
       RequireInteger(s.columns[0].value, idUt, "IdUt");
       RequireInteger(s.columns[1].value, TextToLong(f[1]), "IdSottoORd");
       RequireQuantity(s.columns[2].value, TextToDouble(f[2]));
       RequireText(s.columns[3].value, f[3], "NDoc");
       RequireDate(s.columns[4].value, DateFromField(f[4]), "DataDoc");
     }},
};

// One line through its grammar and the engine; false when its error ends
// the import.
bool ImportLine(const Grammar& grammar, const std::string& line, LineContext& context,
                Database& database) {
  const Fields fields = SplitFields(line);
  std::optional<Row> row;
  try {
    row = grammar.build(fields, context);
  } catch (const AutomationError& error) {
    Require(error.number == kOverflow || error.number == kSubscriptOutOfRange ||
                error.number == kTypeMismatch,
            "a line's error is 6, 9 or 13");
    return false;
  }
  Require(row.has_value() != grammar.rejects(fields), "rejected by the bad-code rule only");
  if (!row) return true;
  // Fifteen digits of the very largest quantities round past the double
  // range; the engine then refuses the number.
  if (std::abs(grammar.quantity(fields)) >= 1.79769313486231e308) return false;
  grammar.check(fields, *row, context.idUt);
  database.InsertRow(*row);
  return true;
}

}  // namespace
}  // namespace viruzedi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace viruzedi;
  using namespace viruzedi::fuzz;
  if (size < 2) return 0;
  const Grammar& grammar = kGrammars[data[0] % 4];
  const int16_t idUt = static_cast<int8_t>(data[1]);
  const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

  static const std::string path = ScratchFolder() + "/terminal.tmp";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  static ScratchDatabase database("terminal.db", 2000);
  Database& target = database.Open();

  FuzzPlatform& platform = TheFuzzPlatform();
  LineContext context{platform, idUt};
  const bool utf8 = std::string_view(bytes).substr(0, kUtf8Mark.size()) == kUtf8Mark;
  const std::vector<std::string> expected =
      RawLines(std::string_view(bytes).substr(utf8 ? kUtf8Mark.size() : 0));
  std::unique_ptr<TextStream> stream = platform.Files().OpenTextFile(path);
  size_t count = 0;
  bool importing = true;
  while (!stream->AtEndOfStream()) {
    const std::string line = stream->ReadLine();
    Require(count < expected.size() &&
                line == (utf8 ? expected[count] : Windows1252ToUtf8(expected[count])),
            "the text stream gives the file's lines");
    ++count;
    if (importing) importing = ImportLine(grammar, line, context, target);
  }
  stream->Close();
  Require(count == expected.size(), "every line of the file is read");
  return 0;
}
