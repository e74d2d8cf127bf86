#include "readerprog/ReaderRows.h"

#include <utility>

#include "database/DatabaseMessages.h"
#include "operation/Messages.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {
namespace {

constexpr const char kTable[] = "viruzedi";

}  // namespace

// The platform as a format's line function sees it: the clock it reads at
// the first reading of a file is given again, call by call, at the later
// ones, so that a line read again makes the row it made the first time (a
// row's date is the day its line was first read). Only the clock's changes
// are kept: the lines of one second share one.
class FirstReadingClock : public ForwardingPlatform {
 public:
  explicit FirstReadingClock(Platform& platform)
      : ForwardingPlatform(std::shared_ptr<Platform>(std::shared_ptr<Platform>(), &platform)) {}

  void StartReading() {
    replaying_ = reads_ > 0 || !changes_.empty();
    reads_ = 0;
    change_ = 0;
  }
  LocalDateTime LocalNow() override {
    const uint64_t read = reads_++;
    if (!replaying_) {
      const LocalDateTime now = ForwardingPlatform::LocalNow();
      if (changes_.empty() || !Same(changes_.back().second, now)) changes_.push_back({read, now});
      return now;
    }
    while (change_ + 1 < changes_.size() && changes_[change_ + 1].first <= read) ++change_;
    return changes_.empty() ? ForwardingPlatform::LocalNow() : changes_[change_].second;
  }

 private:
  static bool Same(const LocalDateTime& a, const LocalDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
  }

  bool replaying_ = false;
  uint64_t reads_ = 0;
  size_t change_ = 0;
  std::vector<std::pair<uint64_t, LocalDateTime>> changes_;  // from which read, what time
};

// The record set a line function fills: each row it saves is handed on as
// the row of a record set's fields, which the database converts as its own
// record set would.
class LineRecords : public Recordset {
 public:
  void AddNew() override {
    fields_.clear();
    started_ = true;
  }
  void SetCollect(const std::string& field, const Variant& value) override {
    if (!started_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
    for (RowColumn& set : fields_) {
      if (set.column == field) {
        set.value = RowValue::Field(value);
        return;
      }
    }
    fields_.push_back({field, RowValue::Field(value)});
  }
  void Update(int, bool) override {
    if (!started_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
    const size_t fields = fields_.size();
    saved.push_back(Row{kTable, std::move(fields_)});
    // The next row of a file sets as many.
    fields_.clear();
    fields_.reserve(fields);
    started_ = false;
  }
  void Close() override {}

  std::vector<Row> saved;  // rows saved and not handed on yet

 private:
  std::vector<RowColumn> fields_;
  bool started_ = false;
};

ReaderRows::ReaderRows(Platform& platform, std::string path, const ReaderFileFormat& format,
                       bool warn)
    : FileRows(platform, std::move(path), false),
      clock_(std::make_unique<FirstReadingClock>(platform)),
      records_(std::make_unique<LineRecords>()),
      format_(format),
      warn_(warn) {}

ReaderRows::~ReaderRows() = default;

void ReaderRows::Rewind() {
  FileRows::Rewind();
  clock_->StartReading();
}

void ReaderRows::RowsOfLine(const std::string& line, bool firstReading, std::vector<Row>& rows) {
  const std::string refusal = format_.appendLine(*clock_, *records_, line);
  for (Row& row : records_->saved) rows.push_back(std::move(row));
  records_->saved.clear();
  if (refusal.empty() || !firstReading) return;
  if (warn_) {
    platform().MessageBox(kAvvisoCodiceErrato + (" " + Detail()) + kMotivo + refusal, kCritical,
                          kTitoloAttenzione);
  }
  setAside.push_back(line);
}

}  // namespace viruzedi
