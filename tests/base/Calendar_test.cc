#include "base/Calendar.h"

#include <gtest/gtest.h>

#include <chrono>

namespace viruzedi {
namespace {

TEST(Calendar, LeapYearsAndMonthLengths) {
  struct Case {
    int year, month, days;
  };
  const Case cases[] = {
      {2024, 2, 29}, {2023, 2, 28}, {1900, 2, 28}, {2000, 2, 29}, {2100, 2, 28},
      {2024, 1, 31}, {2024, 4, 30}, {2024, 12, 31}, {1600, 2, 29}, {-4, 2, 29},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
  }
  EXPECT_TRUE(IsValidDate(2024, 2, 29));
  EXPECT_FALSE(IsValidDate(2023, 2, 29));
  EXPECT_FALSE(IsValidDate(99, 12, 31));
  EXPECT_FALSE(IsValidDate(10000, 1, 1));
  EXPECT_FALSE(IsValidDate(2024, 13, 1));
  EXPECT_FALSE(IsValidDate(2024, 4, 0));
}

// Every day of four centuries on either side of 1970, counted one by one
// with the month lengths and checked against the standard library's own
// calendar: the day numbers and the months' ends must agree everywhere.
TEST(Calendar, DayNumbersWalkTheCalendarDayByDay) {
  using namespace std::chrono;
  CalendarDate date{1770, 1, 1};
  int64_t expected = DayNumber(date);
  const sys_days start = year_month_day{year{1770}, January, day{1}};
  ASSERT_EQ(expected, start.time_since_epoch().count());
  while (date.year < 2170) {
    ASSERT_EQ(DayNumber(date), expected) << date.year << "-" << date.month << "-" << date.day;
    ASSERT_EQ(DateOfDayNumber(expected), date) << expected;
    const CalendarDate next = AddDays(date, 1);
    const year_month_day reference{sys_days{days{expected + 1}}};
    ASSERT_EQ(next, (CalendarDate{static_cast<int>(reference.year()),
                                  static_cast<int>(static_cast<unsigned>(reference.month())),
                                  static_cast<int>(static_cast<unsigned>(reference.day()))}));
    date = next;
    ++expected;
  }
  EXPECT_EQ(DateOfDayNumber(-1), (CalendarDate{1969, 12, 31}));
  EXPECT_EQ(AddDays({2024, 3, 1}, -1), (CalendarDate{2024, 2, 29}));
}

TEST(Calendar, MonthsKeepTheDayOrTakeTheMonthsLast) {
  struct Case {
    CalendarDate from;
    int months;
    CalendarDate to;
  };
  const Case cases[] = {
      {{1999, 12, 31}, 2, {2000, 2, 29}},  {{1999, 12, 31}, 14, {2001, 2, 28}},
      {{2024, 1, 15}, 1, {2024, 2, 15}},   {{2024, 3, 31}, -1, {2024, 2, 29}},
      {{2024, 1, 31}, -13, {2022, 12, 31}}, {{2024, 5, 31}, 0, {2024, 5, 31}},
      {{1, 1, 31}, -1, {0, 12, 31}},        {{0, 1, 31}, -1, {-1, 12, 31}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddMonths(c.from, c.months), c.to)
        << c.from.year << "-" << c.from.month << "-" << c.from.day << " + " << c.months;
  }
}

}  // namespace
}  // namespace viruzedi
