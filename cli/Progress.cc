#include "cli/Progress.h"

#include <cstdio>

namespace viruzedi {

namespace {

// Columns a UTF-8 text takes: its bytes that begin a character.
size_t Columns(const std::string& text) {
  size_t columns = 0;
  for (unsigned char c : text) columns += (c & 0xC0) != 0x80 ? 1 : 0;
  return columns;
}

std::string Printed(const char* format, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

std::string DurationText(std::chrono::seconds duration) {
  long long seconds = duration.count();
  if (seconds >= 3600) return Printed("%lld h %02lld min", seconds / 3600, seconds % 3600 / 60);
  if (seconds >= 60) return Printed("%lld min %02lld s", seconds / 60, seconds % 60);
  return Printed("%lld s", seconds);
}

std::string FittedText(const std::vector<std::string>& texts, size_t columns) {
  if (texts.empty()) return {};
  if (columns == 0) return texts.front();
  const size_t room = columns - 1;
  for (const std::string& text : texts) {
    if (Columns(text) <= room) return text;
  }
  std::string cut;
  size_t taken = 0;
  for (unsigned char c : texts.back()) {
    if ((c & 0xC0) != 0x80 && taken++ == room) break;
    cut += static_cast<char>(c);
  }
  return cut;
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
  const size_t columns = columns_ ? columns_() : 0;
  // What a narrow window loses first is the wording, then the rate, then
  // the time left: the count is what tells the person the work moves.
  std::vector<std::string> texts;
  if (progress.importRows == 0) {
    const auto stored = static_cast<unsigned long long>(progress.stored);
    texts = {Printed("%llu righe scritte, %.0f righe/s", stored, rate),
             Printed("%llu righe, %.0f/s", stored, rate), Printed("%llu righe", stored)};
  } else {
    const uint64_t left = progress.importRows - progress.importStored;
    const unsigned percent =
        static_cast<unsigned>(progress.importStored * 100 / progress.importRows);
    const std::string remaining =
        rate > 0 ? DurationText(std::chrono::seconds(
                       static_cast<long long>(static_cast<double>(left) / rate + 0.5)))
                 : "?";
    const auto stored = static_cast<unsigned long long>(progress.importStored);
    const auto rows = static_cast<unsigned long long>(progress.importRows);
    const char* time = remaining.c_str();
    texts = {
        Printed("%llu di %llu righe scritte (%u%%), %.0f righe/s, ancora %s", stored, rows,
                percent, rate, time),
        Printed("%llu di %llu righe (%u%%), %.0f righe/s, ancora %s", stored, rows, percent,
                rate, time),
        Printed("%llu di %llu righe (%u%%), ancora %s", stored, rows, percent, time),
        Printed("%llu/%llu (%u%%), ancora %s", stored, rows, percent, time),
        Printed("%llu/%llu (%u%%)", stored, rows, percent), Printed("%u%%", percent)};
  }
  return "\r" + FittedText(texts, columns) + "\033[K";
}

}  // namespace viruzedi
