// The table of AIs as a table must be for the parser to read it: in the
// dictionary's order, no AI the start of another, each definition one the
// parser can apply; and the AIs found by their digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gs1/ApplicationIdentifiers.h"

namespace viruzedi {
namespace {

// The four-digit starts a row covers, [first, last].
std::pair<int, int> StartsOf(std::string_view identifiers) {
  const size_t dash = identifiers.find('-');
  const std::string first(identifiers.substr(0, dash));
  const std::string last(dash == std::string_view::npos ? first : identifiers.substr(dash + 1));
  int scale = 1;
  for (size_t i = first.size(); i < 4; ++i) scale *= 10;
  return {std::stoi(first) * scale, (std::stoi(last) + 1) * scale - 1};
}

TEST(Gs1Table, RowsStandInOrderWithoutOverlapsAndEachDefinitionCanBeApplied) {
  std::vector<std::pair<int, int>> covered;
  std::string previous;
  for (const Gs1Identifier& row : Gs1Identifiers()) {
    const std::string identifiers(row.Identifiers());
    const size_t dash = identifiers.find('-');
    const std::string first = identifiers.substr(0, dash);
    EXPECT_GT(first, previous) << identifiers << " after " << previous;
    previous = first;
    EXPECT_TRUE(first.size() >= 2 && first.size() <= 4) << identifiers;
    EXPECT_EQ(first.find_first_not_of("0123456789"), std::string::npos) << identifiers;
    if (dash != std::string::npos) {
      const std::string last = identifiers.substr(dash + 1);
      EXPECT_EQ(last.size(), first.size()) << identifiers;
      EXPECT_LT(first, last) << identifiers;
    }
    covered.push_back(StartsOf(row.Identifiers()));

    const auto parts = row.Parts();
    ASSERT_FALSE(parts.empty()) << identifiers;
    bool optionalSeen = false;
    for (size_t i = 0; i < parts.size(); ++i) {
      const Gs1Part& part = parts[i];
      EXPECT_GE(part.minLength, 1) << identifiers;
      EXPECT_LE(part.minLength, part.maxLength) << identifiers;
      // Only the last part may vary; no required part after an optional one.
      if (part.minLength != part.maxLength) {
        EXPECT_EQ(i + 1, parts.size()) << identifiers;
      }
      EXPECT_TRUE(part.optional || !optionalSeen) << identifiers;
      optionalSeen = optionalSeen || part.optional;
      if (part.check != Gs1Check::kNone) {
        EXPECT_EQ(part.characters, Gs1Characters::kDigits) << identifiers;
        EXPECT_EQ(part.minLength, part.maxLength) << identifiers;
      }
    }
  }
  std::sort(covered.begin(), covered.end());
  for (size_t i = 1; i < covered.size(); ++i) {
    EXPECT_LT(covered[i - 1].second, covered[i].first)
        << covered[i - 1].first << " and " << covered[i].first << " overlap";
  }
}

TEST(Gs1Table, AnAiIsFoundByItsDigitsAndNothingElseIs) {
  struct Case {
    const char* ai;
    bool exists;
    size_t minLength, maxLength;
  } cases[] = {
      {"00", true, 18, 18},   {"02", true, 14, 14},  {"10", true, 1, 20},
      {"15", true, 6, 6},     {"37", true, 1, 8},    {"3103", true, 6, 6},
      {"3955", true, 6, 6},   {"253", true, 13, 30}, {"423", true, 3, 15},
      {"8008", true, 8, 12},  {"99", true, 1, 90},   {"91", true, 1, 90},
      {"3106", false, 0, 0},  {"3956", false, 0, 0}, {"23", false, 0, 0},
      {"7042", false, 0, 0},  {"1", false, 0, 0},    {"010", false, 0, 0},
      {"", false, 0, 0},      {"A0", false, 0, 0},
  };
  for (const Case& c : cases) {
    const Gs1Identifier* identifier = FindGs1Identifier(c.ai);
    ASSERT_EQ(identifier != nullptr, c.exists) << c.ai;
    if (!identifier) continue;
    EXPECT_EQ(identifier->MinLength(), c.minLength) << c.ai;
    EXPECT_EQ(identifier->MaxLength(), c.maxLength) << c.ai;
  }
  // At the start of a text, the AI takes as many digits as it has.
  size_t length = 0;
  ASSERT_NE(Gs1IdentifierAtStart("3103001250", length), nullptr);
  EXPECT_EQ(length, 4u);
  ASSERT_NE(Gs1IdentifierAtStart("10", length), nullptr);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(Gs1IdentifierAtStart("31", length), nullptr);  // 31nn needs its four digits
  EXPECT_EQ(Gs1IdentifierAtStart("71X", length), nullptr);
}

}  // namespace
}  // namespace viruzedi
