// The one progress line of a long download on a terminal: for a file whose
// rows are known, the share stored, the rate and the time left; otherwise
// the count and the rate. Redrawn in place, at most ten times a second.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "database/DatabaseSettings.h"

namespace viruzedi {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // The line to draw after `progress` arrived at `now`, or none when the
  // last one is still fresh. An import's last row is always drawn, so the
  // line never stays short of the whole.
  std::optional<std::string> Update(const RowProgress& progress, Clock::time_point now);

 private:
  static constexpr std::chrono::milliseconds kRedraw{100};

  // Where the rate is counted from: the first row of the import under way,
  // or of the run when no import tells its rows.
  Clock::time_point since_{};
  uint64_t rowsBefore_ = 0;  // rows stored before since_
  uint64_t importRows_ = 0;  // the import since_ belongs to
  bool counting_ = false;
  std::optional<Clock::time_point> drawn_;
};

// "2 min 05 s", "7 s": a time left, in whole seconds.
std::string DurationText(std::chrono::seconds duration);

}  // namespace viruzedi
