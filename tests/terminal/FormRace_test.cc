// Two objects driven from two threads race for the upload's form, which the
// whole process shares: in every round exactly one upload gets it and the
// other is refused with 17 before it touches the form.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/Errors.h"
#include "viruzedi/Viruzedi.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

constexpr int32_t kControlFailure = 429;

// The upload that gets the form holds it, inside the making of its control,
// until the other upload has been answered; then its control fails, which
// the upload passes on to its caller. Were both let in, each would wait for
// the other in vain, and both would end with the control's failure.
class FormHoldingPlatform : public TestPlatform {
 public:
  std::unique_ptr<TerminalLink> CreateTerminalLink() override {
    std::unique_lock<std::mutex> lock(mutex);
    answered.wait_for(lock, std::chrono::seconds(2), [&] { return uploadsAnswered > 0; });
    throw AutomationError(kControlFailure, "Impossibile creare il controllo");
  }

  void Answered() {
    std::lock_guard<std::mutex> lock(mutex);
    ++uploadsAnswered;
    answered.notify_all();
  }

  std::mutex mutex;
  std::condition_variable answered;
  int uploadsAnswered = 0;
};

TEST(FormRace, OfTwoThreadsExactlyOneGetsTheFormAndTheOtherIsRefused) {
  auto platform = std::make_shared<FormHoldingPlatform>();
  Viruzedi first(platform), second(platform);
  for (int round = 0; round < 300; ++round) {
    platform->uploadsAnswered = 0;
    // Both threads spin rather than sleep at the start, so that they reach
    // the form within the same few instructions on a machine of two cores.
    std::atomic<int> ready{0};
    int32_t errors[2] = {0, 0};
    auto upload = [&](Viruzedi& component, int32_t& error) {
      ready.fetch_add(1);
      while (ready.load() < 2) {
      }
      try {
        component.Upload1();
      } catch (const AutomationError& failure) {
        error = failure.number;
      }
      platform->Answered();
    };
    std::thread one(upload, std::ref(first), std::ref(errors[0]));
    std::thread other(upload, std::ref(second), std::ref(errors[1]));
    one.join();
    other.join();

    const int winners = (errors[0] == kControlFailure) + (errors[1] == kControlFailure);
    const int refused = (errors[0] == kOperationRefused) + (errors[1] == kOperationRefused);
    ASSERT_EQ(winners, 1) << "round " << round << ": " << errors[0] << ", " << errors[1];
    ASSERT_EQ(refused, 1) << "round " << round << ": " << errors[0] << ", " << errors[1];
  }
  // The form is free again once both have ended: the next upload gets it.
  platform->uploadsAnswered = 1;
  try {
    first.Upload1();
    ADD_FAILURE() << "the control was made";
  } catch (const AutomationError& failure) {
    EXPECT_EQ(failure.number, kControlFailure);
  }
}

}  // namespace
}  // namespace viruzedi::testing
