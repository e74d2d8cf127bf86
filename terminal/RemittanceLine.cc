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

  return Row{"Viruzedi_RimesseOF",
             {{"IdUt", RowValue::Integer(context.idUt)},
              {"IdSottoORd", RowValue::Integer(idSottoOrd)},
              {"Qtà", RowValue::Number(qta)},
              {"NDoc", RowValue::Text(nDoc)},
              {"DataDoc", RowValue::Date(dataDoc)}}};
}

}  // namespace viruzedi
