// The dates and times that pass between a host and the component: plain
// wall-clock values, with no time zone or daylight saving.
#pragma once

namespace viruzedi {

// A calendar date without a time of day.
struct CalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
  friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// A local calendar date and time of day, as the workstation's wall clock shows it.
struct LocalDateTime {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;
  int second = 0;
};

}  // namespace viruzedi
