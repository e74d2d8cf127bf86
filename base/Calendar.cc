#include "base/Calendar.h"

#include <algorithm>

namespace viruzedi {

namespace {

constexpr int64_t kSecondsPerDay = 24 * 60 * 60;

// Floor division: the day of a negative second count lies before midnight.
int64_t FloorDivide(int64_t value, int64_t divisor) {
  return value >= 0 ? value / divisor : (value - divisor + 1) / divisor;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

// Counted in eras of 400 years (146097 days), each starting on 1 March so
// that the leap day falls at the end of its year.
int64_t DayNumber(const CalendarDate& date) {
  const int64_t m = date.month;
  const int64_t y = date.year - (m <= 2 ? 1 : 0);
  const int64_t era = FloorDivide(y, 400);
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CalendarDate DateOfDayNumber(int64_t dayNumber) {
  const int64_t z = dayNumber + 719468;
  const int64_t era = FloorDivide(z, 146097);
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  return {static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0)),
          static_cast<int>(month), static_cast<int>(day)};
}

CalendarDate AddDays(const CalendarDate& date, int64_t days) {
  return DateOfDayNumber(DayNumber(date) + days);
}

CalendarDate AddMonths(const CalendarDate& date, int months) {
  const int total = date.year * 12 + (date.month - 1) + months;
  const int year = total >= 0 ? total / 12 : (total - 11) / 12;
  const int month = total - year * 12 + 1;
  return {year, month, std::min(date.day, DaysInMonth(year, month))};
}

LocalDateTime NextSecond(const LocalDateTime& time) {
  const int64_t next = DayNumber({time.year, time.month, time.day}) * kSecondsPerDay +
                       time.hour * 3600 + time.minute * 60 + time.second + 1;
  const int64_t dayNumber = FloorDivide(next, kSecondsPerDay);
  const int64_t secondOfDay = next - dayNumber * kSecondsPerDay;
  const CalendarDate date = DateOfDayNumber(dayNumber);
  return LocalDateTime{date.year,
                       date.month,
                       date.day,
                       static_cast<int>(secondOfDay / 3600),
                       static_cast<int>(secondOfDay / 60 % 60),
                       static_cast<int>(secondOfDay % 60)};
}

}  // namespace viruzedi
