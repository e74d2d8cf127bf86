#include "base/Conversions.h"
#include "base/Text.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

bool IsRemittanceRecord(const Fields& fields) {
  // The whole field is the marker: " $ROF" is some other record.
  return EqualsIgnoreCase(FieldAt(fields, 0), "$ROF");
}

std::optional<Row> RemittanceRow(const Fields& fields, LineContext& context) {
  if (!IsRemittanceRecord(fields)) return std::nullopt;
  int32_t idSottoOrd = TextToLong(FieldAt(fields, 1));
  double qta = TextToDouble(FieldAt(fields, 2));
  const std::string& nDoc = FieldAt(fields, 3);
  CalendarDate dataDoc = DateFromField(FieldAt(fields, 4));

  return RowOf("Viruzedi_RimesseOF", RowColumn{"IdUt", RowValue::Integer(context.idUt)},
               RowColumn{"IdSottoORd", RowValue::Integer(idSottoOrd)},
               RowColumn{"Qtà", RowValue::Number(qta)}, RowColumn{"NDoc", RowValue::Text(nDoc)},
               RowColumn{"DataDoc", RowValue::Date(dataDoc)});
}

}  // namespace viruzedi
