// The progress line, on a clock the test moves: what a person at the
// terminal reads while a file is written, and while a pen or infrared
// download goes on with no known end.
#include "cli/Progress.h"

#include <gtest/gtest.h>

namespace viruzedi {
namespace {

using std::chrono::milliseconds;

class ProgressLineTest : public ::testing::Test {
 protected:
  // The line drawn for a row stored `after` the start, or "" for none.
  std::string At(milliseconds after, uint64_t stored, uint64_t importStored, uint64_t importRows) {
    std::optional<std::string> text =
        line_.Update({stored, importStored, importRows}, start_ + after);
    return text ? *text : "";
  }

  ProgressLine line_;
  ProgressLine::Clock::time_point start_{};
};

TEST_F(ProgressLineTest, AFileShowsItsShareRateAndTimeLeftAtMostTenTimesASecond) {
  EXPECT_EQ(At(milliseconds(0), 1, 1, 1000), "");
  EXPECT_EQ(At(milliseconds(50), 50, 50, 1000), "");
  EXPECT_EQ(At(milliseconds(200), 200, 200, 1000),
            "\r200 di 1000 righe scritte (20%), 1000 righe/s, ancora 1 s\033[K");
  EXPECT_EQ(At(milliseconds(250), 250, 250, 1000), "");
  // The last row is drawn however soon it comes: the line ends at the whole.
  EXPECT_EQ(At(milliseconds(260), 1000, 1000, 1000),
            "\r1000 di 1000 righe scritte (100%), 3846 righe/s, ancora 0 s\033[K");
  // The next file counts its own pace from its own first row.
  EXPECT_EQ(At(milliseconds(5000), 1001, 1, 120000), "");
  EXPECT_EQ(At(milliseconds(6000), 2000, 1000, 120000),
            "\r1000 di 120000 righe scritte (0%), 1000 righe/s, ancora 1 min 59 s\033[K");
}

TEST_F(ProgressLineTest, ADownloadWithNoKnownEndShowsItsCountAndRate) {
  EXPECT_EQ(At(milliseconds(0), 1, 0, 0), "");
  EXPECT_EQ(At(milliseconds(4000), 41, 0, 0), "\r41 righe scritte, 10 righe/s\033[K");
}

// A narrow terminal gets the fullest form that leaves its last column free
// (where a terminal may wrap): the wording goes first, then the rate, then
// the time left; below every form the shortest is cut.
TEST(ProgressLineWidth, TheFullestFormThatFitsIsDrawn) {
  struct Case {
    size_t columns;
    const char* drawn;
  };
  for (const Case& c : std::vector<Case>{
           {0, "52000 di 117000 righe scritte (44%), 26000 righe/s, ancora 3 s"},
           {80, "52000 di 117000 righe scritte (44%), 26000 righe/s, ancora 3 s"},
           {60, "52000 di 117000 righe (44%), 26000 righe/s, ancora 3 s"},
           {40, "52000 di 117000 righe (44%), ancora 3 s"},
           {31, "52000/117000 (44%), ancora 3 s"},
           {30, "52000/117000 (44%)"},
           {20, "52000/117000 (44%)"},
           {4, "44%"},
           {3, "44"}}) {
    ProgressLine line([&c] { return c.columns; });
    const ProgressLine::Clock::time_point start{};
    line.Update({1, 1, 117000}, start);
    EXPECT_EQ(line.Update({52000, 52000, 117000}, start + std::chrono::seconds(2)),
              "\r" + std::string(c.drawn) + "\033[K")
        << c.columns;
  }
}

TEST(DurationText, SecondsMinutesAndHours) {
  EXPECT_EQ(DurationText(std::chrono::seconds(7)), "7 s");
  EXPECT_EQ(DurationText(std::chrono::seconds(125)), "2 min 05 s");
  EXPECT_EQ(DurationText(std::chrono::seconds(3660)), "1 h 01 min");
}

}  // namespace
}  // namespace viruzedi
