#include "serial/ImportedName.h"

#include <chrono>
#include <cstdio>

#include "component/AutomationError.h"
#include "serial/Texts.h"

namespace viruzedi {

namespace {

// The calendar does the carrying across minutes, days, months and years.
std::string Stamp(LocalDateTime at, int secondsLater) {
  using namespace std::chrono;
  sys_seconds time = sys_days{year{at.year} / at.month / at.day} + hours{at.hour} +
                     minutes{at.minute} + seconds{at.second + secondsLater};
  year_month_day date{floor<days>(time)};
  hh_mm_ss clock{time - floor<days>(time)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

}  // namespace

std::string RinominaImportato(FileSystem& files, const std::string& path, LocalDateTime at) {
  for (int later = 0;; ++later) {
    std::string destination = path + kSegnoImportato + Stamp(at, later);
    try {
      files.MoveFile(path, destination);
      return destination;
    } catch (const AutomationError& failure) {
      if (failure.number != kFileAlreadyExists) throw;
    }
  }
}

}  // namespace viruzedi
