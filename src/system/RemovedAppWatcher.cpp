#include "system/RemovedAppWatcher.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "system/Debounce.h"

namespace tolvex {

namespace {

// Changes of a folder's own entries (an application added, removed or renamed) and of the folder itself.
constexpr uint32_t kWatchedEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

void drain(int fd) {
  alignas(inotify_event) char buffer[4096];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
}

void wake(int fd) {
  const uint64_t one = 1;
  while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

timespec untilDue(Debounce::Clock::time_point due) {
  const auto left = std::max(due - Debounce::Clock::now(), Debounce::Clock::duration::zero());
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
  return timespec{static_cast<time_t>(nanoseconds / 1'000'000'000), static_cast<long>(nanoseconds % 1'000'000'000)};
}

}  // namespace

RemovedAppWatcher::RemovedAppWatcher(InventoryContext context, std::chrono::nanoseconds debounce)
    : context_(std::move(context)), debounce_(debounce) {}

RemovedAppWatcher::~RemovedAppWatcher() {
  stop();
  {
    std::lock_guard lock(mutex_);
    shuttingDown_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void RemovedAppWatcher::start(Callback onRemoved) {
  stop();
  {
    std::lock_guard lock(mutex_);
    onRemoved_ = std::move(onRemoved);
    snapshotWaiting_ = true;
  }
  changed_.notify_all();
  if (!worker_.joinable()) worker_ = std::thread([this] { workerLoop(); });

  inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotifyFd_ < 0) return;
  size_t watched = 0;
  for (const std::string& folder : context_.applicationRoots)
    if (::inotify_add_watch(inotifyFd_, folder.c_str(), kWatchedEvents) >= 0) ++watched;
  wakeFd_ = watched > 0 ? ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
  if (wakeFd_ < 0) {
    ::close(inotifyFd_);
    inotifyFd_ = -1;
    return;
  }
  stopping_ = false;
  rescanRequested_ = false;
  sourceCount_ = watched;
  events_ = std::thread([this, inotifyFd = inotifyFd_, wakeFd = wakeFd_] { eventLoop(inotifyFd, wakeFd); });
}

void RemovedAppWatcher::stop() {
  if (events_.joinable()) {
    stopping_ = true;
    wake(wakeFd_);
    events_.join();
  }
  for (int* fd : {&inotifyFd_, &wakeFd_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  sourceCount_ = 0;
  // Waiting for a delivery in progress: after this, no result of the old generation reaches anyone.
  std::lock_guard delivery(deliveryMutex_);
  std::lock_guard lock(mutex_);
  ++generation_;
  snapshotWaiting_ = comparisonWaiting_ = false;
  changed_.notify_all();
}

void RemovedAppWatcher::scheduleRescan() {
  if (!events_.joinable()) return;
  rescanRequested_ = true;
  wake(wakeFd_);
}

void RemovedAppWatcher::rescan() {
  if (!worker_.joinable()) worker_ = std::thread([this] { workerLoop(); });
  requestComparison();
}

void RemovedAppWatcher::requestComparison() {
  {
    std::lock_guard lock(mutex_);
    comparisonWaiting_ = true;  // requests made while one waits are the same request
  }
  changed_.notify_all();
}

RemovedAppWatcher::KnownApps RemovedAppWatcher::known() const {
  std::lock_guard lock(mutex_);
  return known_;
}

void RemovedAppWatcher::waitUntilIdle() const {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !busy_ && !snapshotWaiting_ && !comparisonWaiting_; });
}

void RemovedAppWatcher::eventLoop(int inotifyFd, int wakeFd) {
  Debounce debounce(std::chrono::duration_cast<Debounce::Clock::duration>(debounce_));
  pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
  while (!stopping_) {
    const auto due = debounce.due();
    const timespec timeout = due ? untilDue(*due) : timespec{};
    if (::ppoll(fds, 2, due ? &timeout : nullptr, nullptr) < 0 && errno != EINTR) return;
    if (fds[1].revents & POLLIN) {
      uint64_t count = 0;
      while (::read(wakeFd, &count, sizeof count) > 0) {
      }
      if (stopping_) return;
      if (rescanRequested_.exchange(false)) debounce.event(Debounce::Clock::now());
    }
    if (fds[0].revents & POLLIN) {
      drain(inotifyFd);  // the kind of change does not matter: any change restarts the wait
      debounce.event(Debounce::Clock::now());
    }
    if (debounce.fire(Debounce::Clock::now())) requestComparison();
  }
}

void RemovedAppWatcher::workerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return shuttingDown_ || snapshotWaiting_ || comparisonWaiting_; });
    if (shuttingDown_) return;
    // The first snapshot goes before any comparison, so that a comparison always has one to start from.
    const bool snapshot = snapshotWaiting_;
    (snapshot ? snapshotWaiting_ : comparisonWaiting_) = false;
    busy_ = true;
    const uint64_t generation = generation_;
    const KnownApps previous = known_;
    lock.unlock();
    if (snapshot) {
      KnownApps current = knownApps(context_);
      lock.lock();
      if (generation == generation_) known_ = std::move(current);
    } else {
      runComparison(generation, previous);
      lock.lock();
    }
    busy_ = false;
    changed_.notify_all();
  }
}

void RemovedAppWatcher::runComparison(uint64_t generation, const KnownApps& previous) {
  Comparison result = compare(previous, context_, [&] { return generation != generation_; });
  std::lock_guard delivery(deliveryMutex_);
  Callback onRemoved;
  {
    std::lock_guard lock(mutex_);
    if (generation != generation_) return;  // stopped or restarted meanwhile: the result is stale
    known_ = std::move(result.current);
    onRemoved = onRemoved_;
  }
  if (onRemoved)
    for (const RemovedApp& app : result.removed) onRemoved(app);
}

}  // namespace tolvex
