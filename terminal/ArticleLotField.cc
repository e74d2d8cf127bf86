#include "base/Conversions.h"
#include "terminal/LineFormats.h"

namespace viruzedi {

std::optional<ArticleLot> SplitArticleLot(const std::string& field) {
  std::string::size_type dollar = field.find('$');
  if (dollar == std::string::npos) return std::nullopt;
  // A lot that is not a number is no error: the terminal writes "code$" for
  // an article without lots.
  double lot = 0;
  if (!TryParseNumber(std::string_view(field).substr(dollar + 1), lot)) lot = 0;
  return ArticleLot{field.substr(0, dollar), ToLong(lot)};
}

}  // namespace viruzedi
