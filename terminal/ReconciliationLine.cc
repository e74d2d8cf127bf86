#include "base/Conversions.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

std::optional<std::string> ReconciliationStatement(const Fields& fields, LineContext&) {
  std::optional<ArticleLot> articolo = SplitArticleLot(FieldAt(fields, 0));
  if (!articolo) return std::nullopt;
  double quantita = TextToDouble(FieldAt(fields, 1));

  return "Insert Into Viruzedi (Codart,IdLotto,Quantità) Select '" +
         QuoteText(articolo->codart) + "'," + IntegerText(articolo->idLotto) + ", " +
         Str(quantita);
}

}  // namespace viruzedi
