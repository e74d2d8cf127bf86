// A table as every engine describes it: its columns by name, each with the
// engine-neutral kind of value it takes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "database/ColumnValue.h"

namespace viruzedi {

struct ColumnSchema {
  std::string name;          // as declared
  std::string declaredType;  // as declared, "" when none
  ColumnKind kind = ColumnKind::Any;
};

struct TableSchema {
  std::string name;  // as declared
  std::vector<ColumnSchema> columns;
  // Index of the column named so without regard to case (an exact match
  // first, for names that differ only in case outside the folded letters).
  std::optional<size_t> FindColumn(const std::string& name) const;
};

}  // namespace viruzedi
