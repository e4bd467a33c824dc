#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ParallelFor.h"

using namespace tolvex;

namespace {

// How many items ran at once at most.
struct Overlap {
  std::atomic<int> now{0};
  std::atomic<int> most{0};
  void enter() {
    const int running = ++now;
    for (int seen = most.load(); running > seen && !most.compare_exchange_weak(seen, running);) {
    }
  }
  void leave() { --now; }
};

}  // namespace

// Every item runs exactly once, on no more threads than asked (nor than processors), for counts
// around the number of threads.
TEST(ParallelFor, EveryItemRunsOnceOnBoundedThreads) {
  for (const size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{7}, size_t{1000}}) {
    for (const unsigned threads : {1u, 3u, 64u}) {
      SCOPED_TRACE(testing::Message() << count << " items on " << threads << " threads");
      std::vector<std::atomic<int>> runs(count);
      Overlap overlap;
      parallelFor(count, threads, [&](size_t i) {
        overlap.enter();
        ++runs[i];
        overlap.leave();
      });
      for (size_t i = 0; i < count; ++i) EXPECT_EQ(runs[i].load(), 1) << i;
      EXPECT_LE(overlap.most.load(), static_cast<int>(std::min(threads, usableProcessors())));

      std::vector<std::atomic<int>> ordered(count);
      std::vector<size_t> takenUp;
      Overlap orderedOverlap;
      const std::thread::id caller = std::this_thread::get_id();
      bool takenElsewhere = false;
      parallelForInOrder(
          count, threads,
          [&](size_t i) {
            if (std::this_thread::get_id() != caller) takenElsewhere = true;
            takenUp.push_back(i);
            EXPECT_EQ(ordered[i].load(), 0) << "item " << i << " ran before it was taken up";
          },
          [&](size_t i) {
            orderedOverlap.enter();
            ++ordered[i];
            orderedOverlap.leave();
          });
      EXPECT_FALSE(takenElsewhere);
      ASSERT_EQ(takenUp.size(), count);
      for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(takenUp[i], i);
        EXPECT_EQ(ordered[i].load(), 1) << i;
      }
      EXPECT_LE(orderedOverlap.most.load(), static_cast<int>(std::min(threads, usableProcessors())));
    }
  }
}
