// One element's value held against its AI's definition: its length, its
// characters and the checks the definition gives (check digit, dates).
#pragma once

#include <string>
#include <string_view>

#include "gs1/ApplicationIdentifiers.h"

namespace viruzedi {

// Why `value` cannot be the value of `ai` (defined by `identifier`), as
// "(AI): reason" in the component's words; "" when it can. A value is UTF-8;
// any character beyond ASCII is outside every set.
std::string Gs1ValueRefusal(std::string_view ai, const Gs1Identifier& identifier,
                            std::string_view value);

// The mod-10 check digit that completes `digits` (all of them digits).
char Gs1CheckDigit(std::string_view digits);

// Whether `date` (six digits YYMMDD) names a day of year 20YY; day 00, the
// month's last day, only with `dayZero`.
bool IsGs1Date(std::string_view date, bool dayZero);

}  // namespace viruzedi
