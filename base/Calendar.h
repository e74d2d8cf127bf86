// Calendar arithmetic on the proleptic Gregorian calendar, the one place
// that knows leap years and month lengths. Dates and times here are plain
// wall-clock values: no time zone or daylight saving enters, since the
// component only counts days and seconds of what the clock showed.
#pragma once

#include <cstdint>

#include "viruzedi/Calendar.h"

namespace viruzedi {

bool IsLeapYear(int year);
// Days of `month` (1..12) in `year`.
int DaysInMonth(int year, int month);
// True when year/month/day name a date of the calendar with a year from 100
// to 9999, the dates a stored row may hold.
bool IsValidDate(int year, int month, int day);

// Days since 1 January 1970 (negative before it), and back. A day past the
// month's end counts on into the next month, as the day number of day 1
// plus day - 1.
int64_t DayNumber(const CalendarDate& date);
CalendarDate DateOfDayNumber(int64_t dayNumber);

// `days` days later (earlier when negative).
CalendarDate AddDays(const CalendarDate& date, int64_t days);
// `months` calendar months later (earlier when negative): the day stays
// where the target month has it, otherwise it becomes that month's last day.
CalendarDate AddMonths(const CalendarDate& date, int months);

// `time` one second later, across minutes, hours, days, months and years.
// A second of 60 (a leap second the clock showed) counts on like any other.
LocalDateTime NextSecond(const LocalDateTime& time);

}  // namespace viruzedi
