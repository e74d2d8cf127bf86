#include "platform/FileSystem.h"
#include "component/FileStamps.h"

#include <chrono>

#include "base/AutomationError.h"
#include "base/Conversions.h"

namespace viruzedi {

std::string Stamp(const LocalDateTime& t) {
  return FileDate(t.year, t.month, t.day) + "-" + FileTime(t.hour, t.minute, t.second);
}

LocalDateTime NextSecond(LocalDateTime time) {
  using namespace std::chrono;
  // Calendar arithmetic only: the names count seconds of the wall clock, so
  // no time zone or daylight saving enters.
  sys_days day = year_month_day{year{time.year}, month{static_cast<unsigned>(time.month)},
                                std::chrono::day{static_cast<unsigned>(time.day)}};
  sys_seconds next = day + hours{time.hour} + minutes{time.minute} + seconds{time.second} +
                     seconds{1};
  sys_days nextDay = floor<days>(next);
  year_month_day date{nextDay};
  hh_mm_ss clock{next - nextDay};
  return LocalDateTime{static_cast<int>(date.year()),
                       static_cast<int>(static_cast<unsigned>(date.month())),
                       static_cast<int>(static_cast<unsigned>(date.day())),
                       static_cast<int>(clock.hours().count()),
                       static_cast<int>(clock.minutes().count()),
                       static_cast<int>(clock.seconds().count())};
}

bool IsMarkedImported(const std::string& path) {
  return BaseName(path).find(kMarcaImportato) != std::string::npos;
}

std::unique_ptr<FileLock> TakeWaitingFile(FileSystem& files, const std::string& path,
                                          bool nameWaits) {
  if (!files.FileExists(path)) RaiseError(kFileNotFound, path);
  if (!nameWaits) RaiseError(kFileAlreadyExists, path);
  std::unique_ptr<FileLock> lock = files.TryLock(path);
  if (!lock) RaiseError(kPermissionDenied, path);
  if (!files.FileExists(path)) RaiseError(kFileAlreadyExists, path);
  return lock;
}

std::string RinominaImportato(FileSystem& files, const std::string& path, LocalDateTime at) {
  for (LocalDateTime t = at;; t = NextSecond(t)) {
    std::string destination = path + kMarcaImportato + Stamp(t);
    try {
      files.MoveFile(path, destination);
      return destination;
    } catch (const AutomationError& failure) {
      if (failure.number != kFileAlreadyExists) throw;
    }
  }
}

}  // namespace viruzedi
