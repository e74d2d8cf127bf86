#include "serial/PenRead.h"

#include "base/Errors.h"
#include "base/Conversions.h"
#include "platform/Windows1252.h"
#include "serial/Texts.h"

namespace viruzedi {

namespace {

// Takes the text before the first ";" and removes it, with the ";", from the
// front of `riga`. A line without one more ";" is an invalid argument, as a
// cut at a position that is not there.
std::string CutField(std::string& riga) {
  std::string::size_type semicolon = riga.find(';');
  if (semicolon == std::string::npos) RaiseError(kInvalidArgument);
  std::string field = riga.substr(0, semicolon);
  riga.erase(0, semicolon + 1);
  return field;
}

}  // namespace

PenRead CutPenRead(std::string& riga) {
  std::string codice = CutField(riga);
  std::string sottoOrdine = CutField(riga);
  std::string lotto = CutField(riga);
  PenRead read;
  // The port hands over bytes; the reader's text is in the workstation's
  // code page, as every text that reaches the component from outside.
  read.codice = Windows1252ToUtf8(codice);
  read.idSottoOrdine = TextToLong(sottoOrdine);
  read.idLotto = TextToLong(lotto);
  // The reader may send either decimal mark; both are read the same way.
  read.quantita = TextToDouble(riga);
  return read;
}

Row PenReadRow(const PenRead& read) {
  return Row{kTabellaLetture,
             {{kColonneLetture[0], RowValue::Text(read.codice)},
              {kColonneLetture[1], RowValue::Integer(read.idSottoOrdine)},
              {kColonneLetture[2], RowValue::Integer(read.idLotto)},
              {kColonneLetture[3], RowValue::Number(read.quantita)}}};
}

}  // namespace viruzedi
