#include "base/Conversions.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

std::optional<Row> SubOrderReadRow(const Fields& fields, LineContext& context) {
  const std::string& codart = FieldAt(fields, 0);
  int32_t idLotto = TextToLong(FieldAt(fields, 1));
  int32_t idSottoOrd = TextToLong(FieldAt(fields, 2));
  double quantita = TextToDouble(FieldAt(fields, 3));
  // The file carries no date: each row gets the day it is imported on.
  LocalDateTime now = context.checkOnly ? LocalDateTime{2000, 1, 1} : context.platform.LocalNow();
  CalendarDate data{now.year, now.month, now.day};

  return RowOf("Viruzedi", RowColumn{"Codart", RowValue::Text(codart)},
               RowColumn{"IdLotto", RowValue::Integer(idLotto)},
               RowColumn{"Id SottoOrd", RowValue::Integer(idSottoOrd)},
               RowColumn{"Quantità", RowValue::Number(quantita)},
               RowColumn{"Data", RowValue::Date(data)});
}

}  // namespace viruzedi
