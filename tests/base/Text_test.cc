#include "base/Text.h"

#include <gtest/gtest.h>

namespace viruzedi {
namespace {

TEST(Text, CaseFoldsAsciiLettersOnly) {
  EXPECT_EQ(LowerAsciiText("PassWord=Ä@Z"), "password=Ä@z");
  EXPECT_EQ(UpperAscii('q'), 'Q');
  EXPECT_EQ(UpperAscii('{'), '{');
  EXPECT_EQ(LowerAscii('@'), '@');
  EXPECT_EQ(LowerAscii('['), '[');
  EXPECT_TRUE(EqualsIgnoreCase("$rof", "$ROF"));
  EXPECT_FALSE(EqualsIgnoreCase(" $ROF", "$ROF"));
  // The bytes of an accented capital are no ASCII capitals: "Ä" and "ä"
  // stay different, whatever the locale folds.
  EXPECT_FALSE(EqualsIgnoreCase("Ä", "ä"));
  EXPECT_TRUE(StartsWithIgnoreCase("ack...", "ACK"));
  EXPECT_FALSE(StartsWithIgnoreCase("ser", "serial:"));
  EXPECT_EQ(FindIgnoreCase("ab(02)x", "(02)"), 2u);
  EXPECT_EQ(FindIgnoreCase("abc", "(02)"), std::string_view::npos);
}

TEST(Text, BlanksOfFieldsStatementsAndLines) {
  struct Case {
    char c;
    bool blank, whiteSpace;
  };
  const Case cases[] = {
      {' ', true, true},   {'\t', true, true},  {'\r', false, true},
      {'\n', false, true}, {'\v', false, false}, {'a', false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsBlank(c.c), c.blank) << int(c.c);
    EXPECT_EQ(IsWhiteSpace(c.c), c.whiteSpace) << int(c.c);
  }
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("\t"), "\t");
  EXPECT_TRUE(IsBlankLine(""));
  EXPECT_TRUE(IsBlankLine("   "));
  EXPECT_FALSE(IsBlankLine(" \t "));
  EXPECT_FALSE(IsBlankLine("  x"));
}

}  // namespace
}  // namespace viruzedi
