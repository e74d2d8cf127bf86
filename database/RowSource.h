// The rows of one file or download as the imports hand them to the engine:
// a source read from its first row as often as the engine asks, so that the
// rows need not be kept in memory. Database::InsertRows writes them in
// batches; when a constraint refuses a row on a database that then ends
// the whole transaction (a server's), the transaction is begun anew and its
// rows are read again from their sources, each under a savepoint of its
// own, and the refused ones dropped.
#pragma once

#include <cstddef>
#include <vector>

#include "viruzedi/AutomationError.h"
#include "database/Row.h"

namespace viruzedi {

// Not thread-safe: the thread of the Database it is written to.
class RowSource {
 public:
  virtual ~RowSource() = default;

  // Makes the next Next hand out the first row again. Called before every
  // reading, the first one included.
  virtual void Rewind() = 0;
  // Puts the next row into `row` (replacing all of it) and returns true;
  // false when every row has been handed out. Every reading hands out the
  // same rows in the same order. What it throws (a fault of a line, a stop
  // request) ends the writing as it is; nothing of the transaction is then
  // to be committed.
  virtual bool Next(Row& row) = 0;
  // The engine refused the row handed out last for what it holds (a
  // value of the wrong type, a column the table lacks): the source may add
  // where the row came from to `failure` (its detail) before it is thrown.
  virtual void Blame(AutomationError& failure) { (void)failure; }
};

// Rows that are in memory already (an infrared download's, read whole
// before anything is written): those of `rows` from `first` on, in order.
// `rows` must outlive the source.
class RowsInMemory : public RowSource {
 public:
  explicit RowsInMemory(const std::vector<Row>& rows, size_t first = 0)
      : rows_(rows), first_(first), next_(first) {}

  void Rewind() override { next_ = first_; }
  bool Next(Row& row) override {
    if (next_ >= rows_.size()) return false;
    row = rows_[next_++];
    return true;
  }

 private:
  const std::vector<Row>& rows_;
  size_t first_;
  size_t next_;
};

}  // namespace viruzedi
