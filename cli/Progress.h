// The one progress line of a long download on a terminal: for a file whose
// rows are known, the share stored, the rate and the time left; otherwise
// the count and the rate. Redrawn in place, at most ten times a second.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "database/DatabaseSettings.h"

namespace viruzedi {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // `columns` gives the terminal's width when a line is drawn (0: unknown,
  // the whole text is drawn); unset, the width is never known.
  explicit ProgressLine(std::function<size_t()> columns = {}) : columns_(std::move(columns)) {}

  // The line to draw after `progress` arrived at `now`, or none when the
  // last one is still fresh. An import's last row is always drawn, so the
  // line never stays short of the whole. The line fits the width: a line
  // that wrapped could not be drawn again in place, and each redraw would
  // leave a row behind.
  std::optional<std::string> Update(const RowProgress& progress, Clock::time_point now);

 private:
  static constexpr std::chrono::milliseconds kRedraw{100};

  std::function<size_t()> columns_;
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

// The first of `texts` (fullest first) that fits in `columns` terminal
// columns without touching the last one, where a terminal may wrap; the last
// one cut to fit when none does. `columns` 0 (unknown): the first. Each
// character of UTF-8 takes one column.
std::string FittedText(const std::vector<std::string>& texts, size_t columns);

}  // namespace viruzedi
