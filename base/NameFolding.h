// Names of tables and columns are matched without regard to letter case, as
// the statements and record sets name them ("viruzedi" for Viruzedi,
// "IDLotto" for IdLotto, "QUANTITÀ" for Quantità). SQLite's own NOCASE folds
// ASCII only, so the engine folds names itself.
#pragma once

#include <string>
#include <string_view>

namespace viruzedi {

// The name with its capital letters made small: ASCII, the accented letters
// of Latin-1 (À..Þ) and those of Latin Extended-A (Ā..Ž). Everything else,
// malformed UTF-8 included, is kept byte for byte.
std::string FoldName(std::string_view name);

// True when the two names differ at most in letter case (as FoldName sees it).
bool SameName(std::string_view a, std::string_view b);

}  // namespace viruzedi
