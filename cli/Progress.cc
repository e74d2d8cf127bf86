#include "cli/Progress.h"

#include <cstdio>

namespace viruzedi {

std::string DurationText(std::chrono::seconds duration) {
  long long seconds = duration.count();
  char text[48];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld h %02lld min", seconds / 3600, seconds % 3600 / 60);
  } else if (seconds >= 60) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", seconds / 60, seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld s", seconds);
  }
  return text;
}

std::optional<std::string> ProgressLine::Update(const RowProgress& progress,
                                                Clock::time_point now) {
  // A new import (or the first row of a run) starts the rate afresh: the
  // rows of a file before it say nothing of this one's pace.
  bool newImport = progress.importRows > 0 && progress.importStored == 1;
  if (!counting_ || newImport || progress.importRows != importRows_) {
    counting_ = true;
    since_ = now;
    importRows_ = progress.importRows;
    rowsBefore_ = progress.importRows > 0 ? progress.stored - progress.importStored
                                          : progress.stored - 1;
    drawn_ = now;  // the first row alone has no rate to show
    return std::nullopt;
  }
  bool last = progress.importRows > 0 && progress.importStored == progress.importRows;
  if (!last && drawn_ && now - *drawn_ < kRedraw) return std::nullopt;
  drawn_ = now;

  const double seconds = std::chrono::duration<double>(now - since_).count();
  const uint64_t counted = progress.stored - rowsBefore_;
  const double rate = seconds > 0 ? static_cast<double>(counted) / seconds : 0;
  char text[160];
  if (progress.importRows == 0) {
    std::snprintf(text, sizeof text, "\r%llu righe scritte, %.0f righe/s\033[K",
                  static_cast<unsigned long long>(progress.stored), rate);
    return text;
  }
  const uint64_t left = progress.importRows - progress.importStored;
  const unsigned percent =
      static_cast<unsigned>(progress.importStored * 100 / progress.importRows);
  std::string remaining = rate > 0 ? DurationText(std::chrono::seconds(static_cast<long long>(
                                         static_cast<double>(left) / rate + 0.5)))
                                   : "?";
  std::snprintf(text, sizeof text, "\r%llu di %llu righe scritte (%u%%), %.0f righe/s, ancora %s\033[K",
                static_cast<unsigned long long>(progress.importStored),
                static_cast<unsigned long long>(progress.importRows), percent, rate,
                remaining.c_str());
  return text;
}

}  // namespace viruzedi
