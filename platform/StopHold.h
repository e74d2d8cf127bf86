// Stops held back while a program changes names that must change together
// (the reader program's file and its set-aside copy): a stop comes before
// the change (nothing changed) or after it (all of it done), never between.
#pragma once

namespace viruzedi {

// While an object lives, the system's stop requests (POSIX: SIGTERM, SIGINT,
// SIGHUP; Windows: the console's control events) are held; one that arrived
// meanwhile ends the program when the object goes, as it would have.
class StopHold {
 public:
  StopHold();
  ~StopHold();
  StopHold(const StopHold&) = delete;
  StopHold& operator=(const StopHold&) = delete;

  // Whether a stop arrived while held.
  bool StopArrived() const;
};

}  // namespace viruzedi
