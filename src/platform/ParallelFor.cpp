#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <sched.h>
#include <system_error>
#include <thread>
#include <vector>

namespace tolvex {

namespace {

// Threads running `worker`, as many as asked or as the system gives; joined when it goes.
class Helpers {
 public:
  Helpers(size_t count, const std::function<void()>& worker) {
    threads_.reserve(count);
    try {
      for (size_t t = 0; t < count; ++t) threads_.emplace_back(worker);
    } catch (const std::system_error&) {
      // No thread to spare: the ones started share the work.
    }
  }
  ~Helpers() {
    for (std::thread& thread : threads_) thread.join();
  }
  Helpers(const Helpers&) = delete;
  Helpers& operator=(const Helpers&) = delete;
  size_t size() const { return threads_.size(); }

 private:
  std::vector<std::thread> threads_;
};

size_t threadsFor(size_t count, unsigned maxThreads) {
  return std::min<size_t>({count, std::max(1u, maxThreads), usableProcessors()});
}

}  // namespace

unsigned usableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(std::max(1, CPU_COUNT(&set)));
  return std::max(1u, std::thread::hardware_concurrency());
}

void parallelFor(size_t count, unsigned maxThreads, const std::function<void(size_t)>& work) {
  const size_t threads = threadsFor(count, maxThreads);
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t index = next++; index < count; index = next++) work(index);
  };
  Helpers helpers(threads > 1 ? threads - 1 : 0, worker);
  worker();  // the calling thread takes its share too
}

void parallelForInOrder(size_t count, unsigned maxThreads, const std::function<void(size_t)>& takeUp,
                        const std::function<void(size_t)>& work) {
  auto alone = [&](size_t from) {
    for (size_t i = from; i < count; ++i) {
      takeUp(i);
      work(i);
    }
  };
  const size_t threads = threadsFor(count, maxThreads);
  if (threads < 2) {
    alone(0);
    return;
  }
  std::mutex lock;
  std::condition_variable changed;
  size_t handedOut = 0, claimed = 0, finished = 0;
  bool closed = false;  // nothing more will be handed out
  auto worker = [&] {
    std::unique_lock guard(lock);
    for (;;) {
      changed.wait(guard, [&] { return claimed < handedOut || closed; });
      if (claimed == handedOut) return;
      const size_t index = claimed++;
      guard.unlock();
      work(index);
      guard.lock();
      ++finished;
      changed.notify_all();
    }
  };
  size_t handOut = 0;  // items handed to the helpers; the rest run here when none could start
  {
    Helpers helpers(threads, worker);
    if (helpers.size() > 0) {
      const size_t window = 2 * helpers.size();
      for (; handOut < count; ++handOut) {
        takeUp(handOut);
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return handedOut - finished < window; });
        ++handedOut;
        changed.notify_all();
      }
    }
    std::lock_guard guard(lock);
    closed = true;
    changed.notify_all();
  }  // the helpers finish what was handed out and are joined
  alone(handOut);
}

}  // namespace tolvex
