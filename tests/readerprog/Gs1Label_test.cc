// Decoding of GS1 element strings and of (15) dates.
#include <gtest/gtest.h>

#include "base/AutomationError.h"
#include "readerprog/Gs1Label.h"

namespace viruzedi {
namespace {

TEST(Gs1Date, IsDayMonthYearReachedByCalendarArithmetic) {
  struct Case {
    const char* value;
    CalendarDate expected;
  } cases[] = {
      {"250315", {2025, 3, 15}},
      {"000101", {2000, 1, 1}},
      {"991231", {2099, 12, 31}},
      {"240229", {2024, 2, 29}},
      {"251315", {2026, 1, 15}},  // month 13: January of the next year
      {"250231", {2025, 3, 3}},   // a day beyond the month runs on
      {"250001", {2024, 12, 1}},  // month 0: December of the year before
      // Day 00: the last day of that month.
      {"250200", {2025, 2, 28}},
      {"240200", {2024, 2, 29}},
      {"251200", {2025, 12, 31}},
      {"250400", {2025, 4, 30}},
      {"250100", {2025, 1, 31}},
      {"2503150", {2025, 3, 15}},  // a seventh character is not looked at
      {"25031", {2025, 3, 1}},     // a day of one character is still a number
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Gs1Date(c.value), c.expected) << c.value;
  }
}

TEST(Gs1Date, PiecesThatAreNoNumberAreATypeMismatch) {
  for (const char* value : {"", "2503", "AB0315", "25XX15", "2503.."}) {
    try {
      Gs1Date(value);
      ADD_FAILURE() << "no error for \"" << value << "\"";
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number, kTypeMismatch) << value;
    }
  }
}

TEST(Gs1Label, DecodesTheFourIdentifiersWhereverTheyStand) {
  struct Case {
    const char* field;
    const char* codart;
    const char* nColli;
    const char* lotto;
    CalendarDate scadenza;
  } cases[] = {
      {"(02)08012345678907(37)12(15)250315(10)LOT42", "890", "12", "LOT42", {2025, 3, 15}},
      {"(15)250315(02)08012345678907(37)12(10)LOT42", "890", "12", "LOT42", {2025, 3, 15}},
      // (10) keeps whatever follows it.
      {"(02)08012345678907(37)12(15)250315(10)LOT42(21)7", "890", "12", "LOT42(21)7",
       {2025, 3, 15}},
      {"(02)08012345678907(37)(15)250315(10)L", "890", "", "L", {2025, 3, 15}},
      {"(02)0801234567(37)1(15)250315(10)", "", "1", "", {2025, 3, 15}},
      {"(02)080123456789(37)1(15)250315(10)x", "89", "1", "x", {2025, 3, 15}},
      {"(02)08012345678907(37)12(15)250200(10)LOT", "890", "12", "LOT", {2025, 2, 28}},
      // Only the first occurrence of an identifier counts.
      {"(02)08012345678907(37)1(37)2(15)250315(10)A", "890", "1", "A", {2025, 3, 15}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(HasAllGs1Identifiers(c.field)) << c.field;
    Gs1Label label = DecodeGs1Label(c.field);
    EXPECT_EQ(label.Codart, c.codart) << c.field;
    EXPECT_EQ(label.NColli, c.nColli) << c.field;
    EXPECT_EQ(label.LottoCodice, c.lotto) << c.field;
    EXPECT_EQ(label.Scadenza, c.scadenza) << c.field;
  }
}

TEST(Gs1Label, ALabelWithoutOneOfTheFourIdentifiersIsNotDecoded) {
  for (const char* field : {"(37)12(15)250315(10)LOT42", "(02)08012345678907(15)250315(10)L",
                            "(02)08012345678907(37)12(10)LOT42", "(02)08012345678907(37)12(15)250315",
                            "", "0801234567890712250315LOT42"}) {
    EXPECT_FALSE(HasAllGs1Identifiers(field)) << field;
  }
}

TEST(Gs1Label, LayoutFaultsEndTheDecodingWithTheirError) {
  const std::string longValue(260, '9');
  struct Case {
    std::string field;
    int32_t number;
  } cases[] = {
      // An identifier standing last has no "(" after its value.
      {"(02)08012345678907(37)12(10)LOT42(15)250315", kInvalidArgument},
      {"(37)12(15)250315(10)LOT42(02)08012345678907", kInvalidArgument},
      {"(02)08012345678907(15)250315(10)LOT42(37)12", kInvalidArgument},
      {"(02)08012345678907(37)12(15)25AB15(10)LOT42", kTypeMismatch},
      {"(02)08012345678907(37)12(15)(10)LOT42", kTypeMismatch},
      // Positions are held in 8 bits.
      {"(02)" + longValue + "(37)12(15)250315(10)L", kOverflow},
      {std::string(252, 'x') + "(02)08012345678907(37)12(15)250315(10)L", kOverflow},
  };
  for (const Case& c : cases) {
    try {
      DecodeGs1Label(c.field);
      ADD_FAILURE() << "no error for " << c.field;
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number, c.number) << c.field;
    }
  }
}

TEST(Gs1Label, PositionsUpTo255AreWithinTheLimitAndOneMoreIsOverflow) {
  // (10) first, so that its value runs over the padding to the end.
  const std::string head = "(37)1(15)250315(10)";  // 19 characters
  auto gtinAt = [&head](size_t position) {
    return head + std::string(position - 1 - head.size(), 'x') + "(02)08012345678907(";
  };
  auto bracketAt = [](size_t position) {
    return "(10)L(37)1(15)250315(02)" + std::string(position - 1, '0') + "(";
  };
  EXPECT_EQ(DecodeGs1Label(gtinAt(255)).Codart, "890");
  EXPECT_EQ(DecodeGs1Label(bracketAt(255)).Codart, "000");
  for (const std::string& field : {gtinAt(256), bracketAt(256)}) {
    try {
      DecodeGs1Label(field);
      ADD_FAILURE() << "no overflow";
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number, kOverflow);
    }
  }
}

TEST(Gs1Label, CharactersBeyondAsciiCountAsOneEach) {
  Gs1Label label = DecodeGs1Label("(02)0801234567è90(37)12(15)250315(10)Città");
  EXPECT_EQ(label.Codart, "è90");
  EXPECT_EQ(label.LottoCodice, "Città");
}

}  // namespace
}  // namespace viruzedi
