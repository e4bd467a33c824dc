#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <sched.h>
#include <thread>
#include <vector>

namespace tolvex {

unsigned usableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(std::max(1, CPU_COUNT(&set)));
  return std::max(1u, std::thread::hardware_concurrency());
}

void parallelFor(size_t count, unsigned maxThreads, const std::function<void(size_t)>& work) {
  const size_t threads = std::min<size_t>({count, std::max(1u, maxThreads), usableProcessors()});
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t index = next++; index < count; index = next++) work(index);
  };
  if (threads < 2) {
    worker();
    return;
  }
  std::vector<std::thread> pool;
  pool.reserve(threads - 1);
  for (size_t t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();  // the calling thread takes its share too
  for (std::thread& thread : pool) thread.join();
}

}  // namespace tolvex
