#pragma once
#include <cstddef>
#include <functional>

namespace tolvex {

// The processors this process may run on (its affinity, which taskset and containers narrow).
unsigned usableProcessors();

// Runs work(0) … work(count - 1) on up to `maxThreads` threads (never more than the usable
// processors) and returns when all have finished. Items are taken in order; each runs exactly once.
void parallelFor(size_t count, unsigned maxThreads, const std::function<void(size_t)>& work);

}  // namespace tolvex
