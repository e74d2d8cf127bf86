// One user at a time for what is shared: an object's operations, the
// infrared link that the whole process has, the two transfer forms.
// Operations wait for devices while the host's events run, and an event that
// called in again would otherwise reuse the port, the open database or the
// link under the waiting call; two objects driven from two threads would
// race for the process's pieces in the same way. The second user is refused
// at once, never made to wait: a host that waits inside an event for an
// operation it interrupted would never get it back.
#pragma once

#include <atomic>
#include <string>

#include "base/Errors.h"

namespace viruzedi {

// Safe to take from any thread: of two takers at the same moment exactly
// one gets it.
class SharedUse {
 public:
  SharedUse() = default;
  SharedUse(const SharedUse&) = delete;
  SharedUse& operator=(const SharedUse&) = delete;

  // Takes `use` for the life of this object, or throws AutomationError 17
  // with `refusal` as the detail, before anything else happens, while
  // another Hold has it. Released by the destructor, on the thread that
  // took it.
  class Hold {
   public:
    Hold(SharedUse& use, const std::string& refusal) : use_(use) {
      if (use_.taken_.exchange(true, std::memory_order_acquire)) {
        RaiseError(kOperationRefused, refusal);
      }
    }
    ~Hold() { use_.taken_.store(false, std::memory_order_release); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    SharedUse& use_;
  };

 private:
  std::atomic<bool> taken_{false};
};

}  // namespace viruzedi
