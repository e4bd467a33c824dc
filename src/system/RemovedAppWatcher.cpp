#include "system/RemovedAppWatcher.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Paths.h"
#include "system/Debounce.h"

namespace tolvex {

namespace {

// Changes of a folder's own entries (an application added, removed, renamed or rewritten, as package
// tools write entries beside and rename them) and of the folder itself.
constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// On the ancestor of a folder that is not there yet: only its creation matters.
constexpr uint32_t kAncestorEvents = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR | IN_MASK_ADD;

// Reads every waiting event. True when one is a change of a watched folder rather than an ancestor's
// unrelated entry; `ancestorHit` is raised when an ancestor got the entry leading to an awaited folder.
template <typename IsAwaitedStep>
bool drain(int fd, const IsAwaitedStep& isAwaitedStep, bool& ancestorHit) {
  alignas(inotify_event) char buffer[8192];
  bool changed = false;
  ssize_t length;
  while ((length = ::read(fd, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string_view name = event->len > 0 ? std::string_view(event->name) : std::string_view();
      const int awaited = isAwaitedStep(event->wd, name);
      if (awaited > 0) ancestorHit = true;
      if (awaited < 0 || (event->mask & IN_Q_OVERFLOW)) changed = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return changed;
}

// The nearest existing folder that holds `folder`, and the name below it that leads there.
std::pair<std::string, std::string> nearestAncestor(const std::string& folder) {
  std::string below = folder;
  for (std::string parent = parentPath(folder); !parent.empty() && parent != below; parent = parentPath(parent)) {
    struct stat st {};
    if (::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return {parent, lastPathComponent(below)};
    below = parent;
  }
  return {};
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
  std::vector<Awaited> awaited;
  for (const std::string& folder : watchedFolders(context_)) {
    if (::inotify_add_watch(inotifyFd_, folder.c_str(), kWatchedEvents) >= 0) ++watched;
    else if (errno == ENOENT) awaited.push_back({folder});
  }
  // A folder that appears later (the first Flatpak of the user) is watched from then on.
  sourceCount_ = watched;
  watchAppeared(inotifyFd_, awaited);
  wakeFd_ = watched > 0 || !awaited.empty() ? ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC) : -1;
  if (wakeFd_ < 0) {
    ::close(inotifyFd_);
    inotifyFd_ = -1;
    sourceCount_ = 0;
    return;
  }
  stopping_ = false;
  rescanRequested_ = false;
  events_ = std::thread([this, inotifyFd = inotifyFd_, wakeFd = wakeFd_, awaited = std::move(awaited)]() mutable {
    eventLoop(inotifyFd, wakeFd, std::move(awaited));
  });
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

std::vector<std::string> RemovedAppWatcher::watchedFolders(const InventoryContext& context) {
  std::vector<std::string> folders = context.applicationRoots;
  if (context.desktop) {
    for (const std::string& dir : context.desktop->dataDirs) folders.push_back(appendPath(dir, "applications"));
    folders.push_back(context.desktop->userApplications);
  }
  std::vector<std::string> unique;
  for (const std::string& folder : folders)
    if (std::find(unique.begin(), unique.end(), folder) == unique.end()) unique.push_back(folder);
  return unique;
}

bool RemovedAppWatcher::watchAppeared(int inotifyFd, std::vector<Awaited>& awaited) {
  bool appeared = false;
  for (auto it = awaited.begin(); it != awaited.end();) {
    if (::inotify_add_watch(inotifyFd, it->folder.c_str(), kWatchedEvents) >= 0) {
      ++sourceCount_;
      appeared = true;
      it = awaited.erase(it);
      continue;
    }
    const auto [ancestor, next] = nearestAncestor(it->folder);
    it->ancestorWatch = ancestor.empty() ? -1 : ::inotify_add_watch(inotifyFd, ancestor.c_str(), kAncestorEvents);
    it->nextName = next;
    ++it;
  }
  return appeared;
}

void RemovedAppWatcher::eventLoop(int inotifyFd, int wakeFd, std::vector<Awaited> awaited) {
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
      // 1: the entry toward an awaited folder; 0: another entry of an ancestor only; -1: a watched folder.
      auto awaitedStep = [&](int wd, std::string_view name) {
        int result = -1;
        for (const Awaited& folder : awaited)
          if (folder.ancestorWatch == wd) result = std::max(result, name == folder.nextName ? 1 : 0);
        return result;
      };
      bool ancestorHit = false;
      // The kind of change does not matter: any change of a watched folder restarts the wait.
      bool changed = drain(inotifyFd, awaitedStep, ancestorHit);
      if (ancestorHit && watchAppeared(inotifyFd, awaited)) changed = true;
      if (changed) debounce.event(Debounce::Clock::now());
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
