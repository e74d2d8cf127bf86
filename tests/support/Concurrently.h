// Many runs of a test's slow work (processes that mostly wait) at once.
#pragma once

#include <cstddef>
#include <functional>

namespace viruzedi::testing {

// Calls `work(0)` ... `work(count - 1)`, each once, on `workers` threads.
void ForEachConcurrently(size_t count, unsigned workers, const std::function<void(size_t)>& work);

}  // namespace viruzedi::testing
