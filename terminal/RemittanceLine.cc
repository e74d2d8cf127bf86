#include "base/Conversions.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

std::optional<std::string> RemittanceStatement(const Fields& fields, LineContext& context) {
  // The whole field is the marker: " $ROF" is some other record.
  if (!EqualsIgnoreCase(FieldAt(fields, 0), "$ROF")) return std::nullopt;
  int32_t idSottoOrd = TextToLong(FieldAt(fields, 1));
  double qta = TextToDouble(FieldAt(fields, 2));
  const std::string& nDoc = FieldAt(fields, 3);
  CalendarDate dataDoc = DateFromField(FieldAt(fields, 4));

  return "Insert Into Viruzedi_RimesseOF (IdUt, IdSottoORd,Qtà,NDoc,DataDoc) Select " +
         IntegerText(context.idUt) + "," + IntegerText(idSottoOrd) + ", " + Str(qta) +
         " , '" + QuoteText(nDoc) + "', #" + StatementDate(dataDoc) + "#";
}

}  // namespace viruzedi
