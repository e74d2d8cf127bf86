// The line grammars of the terminal's files, one unit each. A line has been
// split at every ";" (SplitFields); a grammar reads its fields by position
// and gives the one row the line stands for, by value, or nothing when the
// line is rejected (the caller then shows the bad-code warning and goes on).
//
// Failures end the import: AutomationError 9 for a field the line lacks (a
// blank line has none), 13 for a field that must be a number or a date and
// is not, 6 for a number outside its integer type. Fields are read in
// ascending order, so the first wrong one names the error.
//
// Quantities are numbers as the imports store them (RowValue::Number: 15
// significant digits); ids, lots and Rep integers; texts as read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/Row.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// What a grammar may need besides the line: the clock (Scarica3 dates its
// rows with the day of the import) and the user id (remittances).
struct LineContext {
  Platform& platform;
  int16_t idUt;
  // The reading that only checks the lines before any row is written: the
  // row is thrown away, so the clock is not read for it.
  bool checkOnly = false;
};

using Fields = std::vector<std::string>;
using LineGrammar = std::optional<Row> (*)(const Fields& fields, LineContext& context);

// Scarica3: code;lot;sub-order;quantity — into Viruzedi with today's date.
// Never rejects a line.
std::optional<Row> SubOrderReadRow(const Fields& fields, LineContext& context);
// Scarica4: code$lot;quantity;yyyymmdd;Rep — into Viruzedi. Rejects a line
// whose field 0 has no "$".
std::optional<Row> StockMovementRow(const Fields& fields, LineContext& context);
// Scarica5: code$lot;quantity — into Viruzedi. Rejects a line whose field 0
// has no "$".
std::optional<Row> ReconciliationRow(const Fields& fields, LineContext& context);
// Scarica_RimesseOF: $ROF;sub-order;quantity;document;yyyymmdd — into
// Viruzedi_RimesseOF with the user id. Rejects a line whose field 0 is not
// "$ROF" (letter case ignored, blanks not).
std::optional<Row> RemittanceRow(const Fields& fields, LineContext& context);
// True for the fields of a remittance record: field 0 is "$ROF" (letter
// case ignored, blanks not). A sub-order read, which shares the prefix of
// the remittances' files, never has it.
bool IsRemittanceRecord(const Fields& fields);

// The article-lot field "code$lot" of Scarica4 and Scarica5.
struct ArticleLot {
  std::string codart;  // the text before the first "$"
  int32_t idLotto;     // the number after it, 0 when it is none
};
// Splits at the first "$"; nothing when the field has none. The lot is the
// rest of the field (further "$" included) read leniently: a text that is no
// number gives 0; a number is rounded halves to even, and one beyond the
// 32-bit range is overflow (6).
std::optional<ArticleLot> SplitArticleLot(const std::string& field);

}  // namespace viruzedi
