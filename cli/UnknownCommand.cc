#include "cli/UnknownCommand.h"

#include <algorithm>

#include "base/Text.h"

namespace viruzedi::cli {

size_t NameDistance(const std::string& a, const std::string& b) {
  const std::string x = LowerAsciiText(a);
  const std::string y = LowerAsciiText(b);
  // Three rows of the table are enough for the swap of two neighbours.
  std::vector<size_t> before(y.size() + 1), previous(y.size() + 1), current(y.size() + 1);
  for (size_t j = 0; j <= y.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= x.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j <= y.size(); ++j) {
      const size_t replaced = previous[j - 1] + (x[i - 1] == y[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, replaced});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1]) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    before.swap(previous);
    previous.swap(current);
  }
  return previous[y.size()];
}

std::vector<std::string> NearestCommands(const std::string& typed,
                                         const std::vector<std::string>& commands) {
  // Beyond a third of the name (and at least two edits) it is another word,
  // not a slip, and a suggestion would only mislead.
  const size_t allowed = std::max<size_t>(2, typed.size() / 3);
  size_t least = allowed + 1;
  std::vector<std::string> nearest;
  for (const std::string& command : commands) {
    const size_t distance = NameDistance(typed, command);
    if (distance > least) continue;
    if (distance < least) nearest.clear();
    least = distance;
    nearest.push_back(command);
  }
  return nearest;
}

std::string UnknownCommandText(const std::string& typed, const std::vector<std::string>& commands) {
  std::string text = "\"" + typed + "\" is not a command";
  const std::vector<std::string> nearest = NearestCommands(typed, commands);
  for (size_t i = 0; i < nearest.size(); ++i) {
    text += i == 0 ? "; did you mean " : (i + 1 == nearest.size() ? " or " : ", ");
    text += nearest[i];
  }
  if (!nearest.empty()) text += "?";
  return text + " (`viruzedi --help` lists the commands)";
}

}  // namespace viruzedi::cli
