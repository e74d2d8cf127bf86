// One user at a time for what a flag guards: an object's operations, or a
// link that the whole process shares. Operations wait for devices while the
// host's events run, and an event that called in again would otherwise
// reuse the port, the open database or the link under the waiting call.
#pragma once

#include <string>

#include "base/AutomationError.h"

namespace viruzedi {

class InUse {
 public:
  // Marks `flag` for the life of this object. While it is marked, a second
  // InUse on it is refused with 17 and `refusal` as the detail, before
  // anything else happens.
  InUse(bool& flag, const std::string& refusal) : flag_(flag) {
    if (flag_) RaiseError(kOperationRefused, refusal);
    flag_ = true;
  }
  ~InUse() { flag_ = false; }
  InUse(const InUse&) = delete;
  InUse& operator=(const InUse&) = delete;

 private:
  bool& flag_;
};

}  // namespace viruzedi
