#include "tests/support/Concurrently.h"

#include <atomic>
#include <thread>
#include <vector>

namespace viruzedi::testing {

void ForEachConcurrently(size_t count, unsigned workers, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned i = 0; i < workers; ++i) {
    threads.emplace_back([&] {
      for (size_t item; (item = next++) < count;) work(item);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace viruzedi::testing
