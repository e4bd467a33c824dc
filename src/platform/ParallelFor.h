#pragma once
// The one way the core runs work in parallel: a bounded number of threads that end before the call
// returns. (The application hands results back to its UI thread through its own task queue.)
#include <cstddef>
#include <functional>

namespace tolvex {

// The processors this process may run on (its affinity, which taskset and containers narrow).
unsigned usableProcessors();

// Runs work(0) … work(count - 1) on up to `maxThreads` threads (never more than the usable
// processors, the calling thread among them) and returns when all have finished. Items are taken in
// order; each runs exactly once. When the system gives no more threads, fewer do the work.
void parallelFor(size_t count, unsigned maxThreads, const std::function<void(size_t)>& work);

// The same, with takeUp(i) called on the calling thread for i = 0, 1, … in order, each just before
// work(i) is handed to the threads (at most `maxThreads`, never more than the usable processors). The
// calling thread only hands out, and runs ahead of the work by two items per thread at most, so
// takeUp follows the work as it goes (progress reports). With one item, one processor or no thread to
// spare, everything runs on the calling thread.
void parallelForInOrder(size_t count, unsigned maxThreads, const std::function<void(size_t)>& takeUp,
                        const std::function<void(size_t)>& work);

}  // namespace tolvex
