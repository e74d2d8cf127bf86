// What the owner of an object decides about the databases it opens, and
// what they tell it back: held by the caller (each Viruzedi object has one)
// and handed to every open, so that nothing of it is shared by the process.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace viruzedi {

// Not thread-safe: the thread of its owner, as the databases opened with it.
class DatabaseSettings {
 public:
  // How long a statement waits for a lock held by another program before it
  // fails with 3045. Applies to databases opened afterwards.
  std::chrono::milliseconds busyTimeout{5000};
  // Called after every row stored through these settings, with the count of
  // rows stored so far (the progress display of the command line).
  std::function<void(uint64_t)> rowObserver;

  // Counts a row stored and tells the observer.
  void NotifyRowStored() {
    ++rowsStored_;
    if (rowObserver) rowObserver(rowsStored_);
  }
  uint64_t RowsStored() const { return rowsStored_; }

 private:
  uint64_t rowsStored_ = 0;
};

}  // namespace viruzedi
