#include "database/TableSchema.h"

#include "base/NameFolding.h"

namespace viruzedi {

std::optional<size_t> TableSchema::FindColumn(const std::string& name) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == name) return i;
  }
  std::string folded = FoldName(name);
  for (size_t i = 0; i < columns.size(); ++i) {
    if (FoldName(columns[i].name) == folded) return i;
  }
  return std::nullopt;
}

}  // namespace viruzedi
