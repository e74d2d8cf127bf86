#include "base/Conversions.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "base/Errors.h"
#include "tests/support/ErrorOf.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;

TEST(ParseNumber, ReadsNumberTextsAndRefusesTheRest) {
  struct Case {
    const char* text;
    double value;
    int error;
  };
  const Case cases[] = {
      {"5", 5, 0},       {" 5 ", 5, 0},      {"\t-5\t", -5, 0},    {"+7", 7, 0},
      {"12.5", 12.5, 0}, {"12,5", 12.5, 0},  {"0.5", 0.5, 0},      {"0,5", 0.5, 0},
      {".5", 0.5, 0},    {",25", 0.25, 0},   {"5.", 5, 0},         {"- 1.5", -1.5, 0},
      {"1E3", 1000, 0},  {"1e+15", 1e15, 0}, {"2.5E-2", 0.025, 0}, {"1e-400", 0, 0},
      {"", 0, 13},       {"   ", 0, 13},     {"abc", 0, 13},       {"1.2.3", 0, 13},
      {"1,2.3", 0, 13},  {"1.000,5", 0, 13}, {"inf", 0, 13},       {"nan", 0, 13},
      {"1e", 0, 13},     {"1e+", 0, 13},     {"0x10", 0, 13},      {"5 5", 0, 13},
      {".", 0, 13},      {"-", 0, 13},       {"1e999", 0, 6},
  };
  for (const Case& c : cases) {
    double value = -1;
    int error = ErrorOf([&] { value = ParseNumber(c.text); });
    EXPECT_EQ(error, c.error) << '"' << c.text << '"';
    if (c.error == 0) {
      EXPECT_DOUBLE_EQ(value, c.value) << '"' << c.text << '"';
    }
  }
}

// Beyond the range of a double, the digits tell a number too large (overflow)
// from one too small (zero); the sign of the exponent alone does not.
TEST(ParseNumber, BeyondTheDoubleRangeTellsTooLargeFromTooSmall) {
  const std::string zeros(400, '0');
  struct Case {
    std::string text;
    int error;  // 0: the number is read as zero
  } cases[] = {
      {"1" + zeros + "e-1", kOverflow},
      {"-9" + zeros + ",5e-50", kOverflow},
      {"0001e400", kOverflow},
      {"1e+999999999999", kOverflow},
      {"0." + zeros + "1e-1", 0},
      {"0," + zeros + "1e+5", 0},
      {"000.0001e-400", 0},
      {"1e-999999999999", 0},
  };
  for (const Case& c : cases) {
    double value = -1;
    EXPECT_EQ(ErrorOf([&] { value = ParseNumber(c.text); }), c.error) << c.text.substr(0, 12);
    if (c.error == 0) {
      EXPECT_EQ(value, 0.0) << c.text.substr(0, 12);
    }
  }
}

TEST(IntegerConversions, RoundHalvesToEvenAndOverflowOutsideTheRange) {
  struct Case {
    double value;
    int64_t expected;
    int longError;
    int integerError;
  };
  const Case cases[] = {
      {0.5, 0, 0, 0},           {1.5, 2, 0, 0},
      {2.5, 2, 0, 0},           {3.5, 4, 0, 0},
      {-0.5, 0, 0, 0},          {-1.5, -2, 0, 0},
      {-2.5, -2, 0, 0},         {7.6, 8, 0, 0},
      {-7.6, -8, 0, 0},         {32767.4, 32767, 0, 0},
      {32767.5, 32768, 0, 6},   {-32768.5, -32768, 0, 0},
      {-32769, -32769, 0, 6},   {2147483647.4, 2147483647, 0, 6},
      {2147483647.5, 0, 6, 6},  {-2147483648.5, -2147483648, 0, 6},
      {-2147483649.0, 0, 6, 6},
  };
  for (const Case& c : cases) {
    int32_t asLong = 0;
    EXPECT_EQ(ErrorOf([&] { asLong = ToLong(c.value); }), c.longError) << c.value;
    if (c.longError == 0) {
      EXPECT_EQ(asLong, c.expected) << c.value;
    }
    int16_t asInteger = 0;
    EXPECT_EQ(ErrorOf([&] { asInteger = ToInteger(c.value); }), c.integerError) << c.value;
    if (c.integerError == 0) {
      EXPECT_EQ(asInteger, c.expected) << c.value;
    }
  }
  EXPECT_EQ(TextToLong(" 2.5 "), 2);
  EXPECT_EQ(TextToLong("3,5"), 4);
  EXPECT_EQ(ErrorOf([] { TextToLong(""); }), kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { TextToInteger("40000"); }), kOverflow);
  EXPECT_EQ(ToByte(255.4), 255);
  EXPECT_EQ(ErrorOf([] { ToByte(256); }), kOverflow);
}

TEST(ValoreNumerico, GivesZeroForAnythingThatIsNoNumber) {
  EXPECT_EQ(ValoreNumerico(Variant()), 0);
  EXPECT_EQ(ValoreNumerico(Variant::Null()), 0);
  EXPECT_EQ(ValoreNumerico(Variant("")), 0);
  EXPECT_EQ(ValoreNumerico(Variant("ab")), 0);
  EXPECT_EQ(ValoreNumerico(Variant("17")), 17);
  EXPECT_EQ(ValoreNumerico(Variant("2,5")), 2.5);
  EXPECT_EQ(ValoreNumerico(Variant(" 3.5 ")), 3.5);
  EXPECT_EQ(ValoreNumerico(Variant(int16_t{-4})), -4);
  EXPECT_EQ(ValoreNumerico(Variant(true)), -1);
}

TEST(Str, WritesTheClassicNumberForm) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, " 0"},
      {3, " 3"},
      {12.5, " 12.5"},
      {-2.5, "-2.5"},
      {0.5, " .5"},
      {-0.25, "-.25"},
      {1.5, " 1.5"},
      {1e15, " 1E+15"},
      {-1e15, "-1E+15"},
      {123456789012345, " 123456789012345"},
      {1234567890123456, " 1.23456789012346E+15"},
      {999999999999999.9, " 1E+15"},
      {0.1 + 0.2, " .3"},
      {1.0 / 3.0, " .333333333333333"},
      {0.00001, " .00001"},
      {0.000001, " 1E-06"},
      {1.5e-7, " 1.5E-07"},
      {100, " 100"},
      {1e14, " 100000000000000"},
      {2147483648.0, " 2147483648"},
      {1e100, " 1E+100"},
  };
  for (const Case& c : cases) EXPECT_EQ(Str(c.value), c.text) << c.value;
}

// Every decimal text reads as the double nearest to it, however it is read
// (short ones have a way of their own).
TEST(ParseNumber, ReadsEveryDecimalAsTheNearestDouble) {
  std::mt19937_64 random(8122026);
  std::uniform_int_distribution<int> lengths(1, 19);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < 100000; ++i) {
    std::string digits;
    const int length = lengths(random);
    for (int d = 0; d < length; ++d) digits += static_cast<char>('0' + digit(random));
    const size_t mark = static_cast<size_t>(random() % (digits.size() + 1));
    std::string written =
        (i % 4 == 0 ? "-" : "") + digits.substr(0, mark) + "." + digits.substr(mark);
    double nearest = 0;
    std::from_chars(written.data(), written.data() + written.size(), nearest);
    if (i % 2 == 0) written[written.find('.')] = ',';
    ASSERT_EQ(ParseNumber(written), nearest) << written;
  }
}

// What the imports store for a quantity is what Str's text reads back as;
// StrRounded must give that number for every double, whichever way it
// computes it.
TEST(StrRounded, IsTheNumberStrsTextReadsBackAs) {
  auto throughText = [](double value) {
    std::string text = Str(value);
    double number = 0;
    const char* first = text.data() + (text.front() == ' ' ? 1 : 0);
    std::from_chars(first, text.data() + text.size(), number);
    return number;
  };
  std::vector<double> values = {
      0, -0.0, 3, 12.5, -2.5, 0.1 + 0.2, 1.0 / 3.0, 2.0 / 3.0, 1e15, 999999999999999.9,
      999999999999999.4, 99999999999999.95, 1e14, 1e-7, 9.9999999999999e-8, 1e22, 9.999999e21,
      1e-300, 1e300, 5e-324, std::numeric_limits<double>::max(),
      // Halves of the fifteenth digit, exactly: to the even digit.
      1000000000000005.0, 1000000000000015.0, 1000000000000025.0, 4503599627370497.0,
      9007199254740993.0, 0.5, 1.25, 1.0000000000000025};
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> exponents(-9, 23);
  std::uniform_int_distribution<int> digits(1, 17);
  for (int i = 0; i < 200000; ++i) {
    double value = std::pow(10.0, exponents(random));
    if (i % 2 == 0) {
      // Numbers as written in a file: a few decimal digits.
      const double scale = std::pow(10.0, digits(random) - 1);
      value = std::round(value * scale) / scale;
    }
    values.push_back(i % 3 == 0 ? -value : value);
  }
  for (double value : values) {
    ASSERT_EQ(StrRounded(value), throughText(value)) << Str(value) << " from " << value;
  }
  EXPECT_EQ(StrRounded(std::nan("")), 0.0);
  EXPECT_EQ(StrRounded(HUGE_VAL), 0.0);
  EXPECT_FALSE(std::signbit(StrRounded(-0.0)));
}

TEST(DateField, ReadsYearMonthAndTheLastTwoCharactersAsDay) {
  struct Case {
    const char* field;
    CalendarDate date;
    int error;
  };
  const Case cases[] = {
      {"20261206", {2026, 12, 6}, 0},
      {"2026120615", {2026, 12, 15}, 0},
      {"20240229", {2024, 2, 29}, 0},
      {"20230229", {}, 13},
      {"20261306", {}, 13},
      {"20261200", {}, 13},
      {"2026126", {}, 13},
      {"", {}, 13},
      {"abcdefgh", {}, 13},
      {"2026 1 6", {}, 13},
      {"00001206", {}, 13},
  };
  for (const Case& c : cases) {
    CalendarDate date;
    EXPECT_EQ(ErrorOf([&] { date = DateFromField(c.field); }), c.error) << c.field;
    if (c.error == 0) {
      EXPECT_EQ(date, c.date) << c.field;
    }
  }
  EXPECT_EQ(StatementDate({2026, 12, 6}), "12/06/2026");
  EXPECT_EQ(StatementDate({2026, 1, 31}), "01/31/2026");
  EXPECT_EQ(FileDate(2026, 12, 6), "20261206");
  EXPECT_EQ(FileTime(9, 30, 5), "093005");
}

TEST(Fields, SplitAtEverySemicolonAndKeepEmptyFields) {
  EXPECT_TRUE(SplitFields("").empty());
  EXPECT_EQ(SplitFields("a;;b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitFields("a;"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(SplitFields(" a ; b"), (std::vector<std::string>{" a ", " b"}));
  EXPECT_EQ(SplitFields("abc"), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(ErrorOf([] { FieldAt(SplitFields(""), 0); }), kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { FieldAt(SplitFields("abc"), 1); }), kSubscriptOutOfRange);
}

TEST(Texts, QuotesAreDoubled) {
  EXPECT_EQ(QuoteText("D'Amico"), "D''Amico");
  EXPECT_EQ(QuoteText("x'); DROP TABLE Viruzedi; --"), "x''); DROP TABLE Viruzedi; --");
  EXPECT_EQ(QuoteText(""), "");
}

}  // namespace
}  // namespace viruzedi
