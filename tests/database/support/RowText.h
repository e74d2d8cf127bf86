// A typed row as one line, for tests that compare what an import hands the
// engine: "Table: Column='text', Column=12, Column=number 2.5,
// Column=date 2026-12-06, Column=Null". Integers and numbers show the
// digits the row carries.
#pragma once

#include <string>

#include "database/Row.h"

namespace viruzedi::testing {

std::string RowText(const Row& row);

}  // namespace viruzedi::testing
