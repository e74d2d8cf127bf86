// What the owner of an object decides about the databases it opens, and
// what they tell it back: held by the caller (each Viruzedi object has one)
// and handed to every open, so that nothing of it is shared by the process.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>

namespace viruzedi {

// What an observer of the rows stored hears after each one.
struct RowProgress {
  uint64_t stored = 0;    // rows stored through the settings so far
  // Of the import under way, when it knows how many rows it will store (a
  // file checked whole before it is written): how many it has stored so
  // far, of how many. Both 0 when it does not know (pen, infrared).
  uint64_t importStored = 0;
  uint64_t importRows = 0;
};

// Not thread-safe: the thread of its owner, as the databases opened with it.
class DatabaseSettings {
 public:
  // How long a statement waits for a lock held by another program before it
  // fails with 3045. Applies to databases opened afterwards.
  std::chrono::milliseconds busyTimeout{5000};
  // Called after every row stored through these settings (the progress
  // display of the command line).
  std::function<void(const RowProgress&)> rowObserver;

  // The import about to write will store `rows` rows, unless a constraint
  // refuses some: the observer then hears its share.
  void ExpectRows(uint64_t rows) {
    importStart_ = rowsStored_;
    importRows_ = rows;
  }
  // Counts a row stored and tells the observer.
  void NotifyRowStored() {
    ++rowsStored_;
    if (!rowObserver) return;
    RowProgress progress{rowsStored_, 0, importRows_};
    // A redo of rows after a refusal counts them again: the share stops at
    // the whole.
    if (importRows_ > 0) progress.importStored = std::min(rowsStored_ - importStart_, importRows_);
    rowObserver(progress);
  }
  uint64_t RowsStored() const { return rowsStored_; }

 private:
  uint64_t rowsStored_ = 0;
  uint64_t importStart_ = 0;
  uint64_t importRows_ = 0;
};

}  // namespace viruzedi
