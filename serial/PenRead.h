// The line grammar of the pen reader: code;sub-order;lot;quantity.
#pragma once

#include <cstdint>
#include <string>

#include "database/Row.h"

namespace viruzedi {

struct PenRead {
  std::string codice;     // the article code (UTF-8 of the Windows-1252 text sent), possibly empty
  int32_t idSottoOrdine;  // sub-order id
  int32_t idLotto;        // lot id
  double quantita;        // quantity
};

// Cuts the read line `riga` into its fields. Each of the first three fields
// is cut with its ";" from the front of `riga`, so on return `riga` holds the
// quantity text (also when a conversion fails after the cuts).
// Throws AutomationError 5 when a line has fewer than three ";", 13 when an id
// or the quantity is not a number ("." or "," as decimal mark), 6 when an id
// is out of the 32-bit range. Ids are rounded to nearest, halves to even.
PenRead CutPenRead(std::string& riga);

// The row that stores one read in table Viruzedi, the code as read.
Row PenReadRow(const PenRead& read);

}  // namespace viruzedi
