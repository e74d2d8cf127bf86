#include "base/Conversions.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

std::optional<Row> StockMovementRow(const Fields& fields, LineContext&) {
  std::optional<ArticleLot> articolo = SplitArticleLot(FieldAt(fields, 0));
  if (!articolo) return std::nullopt;
  double quantita = TextToDouble(FieldAt(fields, 1));
  const std::string& campoData = FieldAt(fields, 2);
  int16_t rep = TextToInteger(FieldAt(fields, 3));
  // The date is read after Rep, so a line wrong in both names the Rep field.
  CalendarDate data = DateFromField(campoData);

  return RowOf("Viruzedi", RowColumn{"Codart", RowValue::Text(articolo->codart)},
               RowColumn{"IdLotto", RowValue::Integer(articolo->idLotto)},
               RowColumn{"Quantità", RowValue::Number(quantita)},
               RowColumn{"Data", RowValue::Date(data)}, RowColumn{"Rep", RowValue::Integer(rep)});
}

}  // namespace viruzedi
