#include "base/Conversions.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

std::optional<Row> ReconciliationRow(const Fields& fields, LineContext&) {
  std::optional<ArticleLot> articolo = SplitArticleLot(FieldAt(fields, 0));
  if (!articolo) return std::nullopt;
  double quantita = TextToDouble(FieldAt(fields, 1));

  return RowOf("Viruzedi", RowColumn{"Codart", RowValue::Text(articolo->codart)},
               RowColumn{"IdLotto", RowValue::Integer(articolo->idLotto)},
               RowColumn{"Quantità", RowValue::Number(quantita)});
}

}  // namespace viruzedi
