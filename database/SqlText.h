// SQL text that every engine writes alike: names quoted as identifiers and
// the INSERT of a batch's rows, whose values are always parameters.
#pragma once

#include <functional>
#include <string>

#include "database/Engine.h"

namespace viruzedi {

// An SQL identifier in double quotes, a double quote inside doubled.
std::string QuoteName(const std::string& name);

// The INSERT of one row of `batch` into its table (as its CatalogTable's
// sqlName names it): each column's name, as the table's schema has it,
// written by `writeName`; the `i`th value's parameter (from 1) by
// `parameter`. DEFAULT VALUES for a row of no column. Only names read from
// the database reach the text.
std::string InsertSql(const RowBatch& batch, const NameWriter& writeName,
                      const std::function<std::string(size_t)>& parameter);

}  // namespace viruzedi
