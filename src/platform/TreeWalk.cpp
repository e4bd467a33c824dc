#include "platform/TreeWalk.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace tolvex {

std::string joinPath(std::string_view base, std::string_view name) {
  std::string out;
  const size_t keep = !base.empty() && base.back() == '/' ? base.size() - 1 : base.size();
  out.reserve(keep + 1 + name.size());
  out.append(base.substr(0, keep));
  out += '/';
  out.append(name);
  return out;
}

bool ChildFolders::enterable(size_t index) const {
  const FolderReader::Entry& entry = reader_.entries()[index];
  if (entry.error != 0 || entry.stat.type != EntryType::folder) return false;
  for (const WalkFolder* up = &folder_; up; up = up->parent)
    if (up->inode == entry.stat.inode && up->device == entry.stat.device) return false;
  return true;
}

std::string ChildFolders::pathOf(size_t index) const {
  return joinPath(folder_.path, reader_.name(reader_.entries()[index]));
}

void ChildFolders::enter(size_t index, void* data, std::string path) {
  chosen_.push_back({index, data, std::move(path)});
}

namespace {

// Descriptors kept open for child folders to open through, across all threads; past this a folder
// is closed once read and its children are opened by their whole path.
int openFolderLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 256;
  return static_cast<int>(std::clamp<rlim_t>(limit.rlim_cur / 4, 16, 1024));
}

}  // namespace

// One run of a walk: the pool's shared state.
class WalkPool {
 public:
  WalkPool(unsigned threads, uint64_t device, WalkVisitor& visitor)
      : device_(device), visitor_(visitor), workers_(threads), openLimit_(openFolderLimit()) {}

  ~WalkPool() {
    // A stopped walk leaves folders behind, some still open.
    for (Worker& worker : workers_)
      for (WalkFolder& folder : worker.storage)
        if (folder.fd >= 0) ::close(folder.fd);
  }

  WalkFolder* newFolder(unsigned worker) {
    Worker& w = workers_[worker];
    if (!w.spare.empty()) {
      WalkFolder* folder = w.spare.back();
      w.spare.pop_back();
      return folder;
    }
    return &w.storage.emplace_back();
  }

  void push(WalkFolder* folder) {
    std::lock_guard<std::mutex> guard(lock_);
    stack_.push_back(folder);
  }

  // Runs folders until the walk is done or stopped.
  void work(unsigned worker) {
    for (;;) {
      WalkFolder* folder;
      {
        std::unique_lock<std::mutex> guard(lock_);
        ready_.wait(guard, [&] { return !stack_.empty() || done_ || stopped_; });
        if (stopped_ || stack_.empty()) return;
        folder = stack_.back();
        stack_.pop_back();
      }
      process(folder, worker);
    }
  }

  bool stopped() const {
    std::lock_guard<std::mutex> guard(lock_);
    return stopped_;
  }

 private:
  struct Worker {
    FolderReader reader;
    std::deque<WalkFolder> storage;  // every folder this worker made (stable addresses)
    std::vector<WalkFolder*> spare;  // left folders, ready for reuse
  };

  void process(WalkFolder* folder, unsigned worker) {
    if (!visitor_.enter(*folder, worker)) {
      stop();
      return;
    }
    WalkFolder* parent = folder->parent;
    if (folder->device != device_) {  // another device: visited, not listed
      if (parent) releaseFd(parent);
      folder->pending.store(1, std::memory_order_relaxed);
      finish(folder, worker);
      return;
    }
    const bool throughParent = parent && parent->fd >= 0;
    const int fd = throughParent ? openFolder(parent->fd, folder->path.c_str() + folder->nameStart)
                                 : openFolder(AT_FDCWD, folder->path.c_str());
    if (parent) releaseFd(parent);
    if (fd < 0) {
      visitor_.unreadable(*folder, worker);
      folder->pending.store(1, std::memory_order_relaxed);
      finish(folder, worker);
      return;
    }
    openCount_.fetch_add(1, std::memory_order_relaxed);

    FolderReader& reader = workers_[worker].reader;
    if (!reader.read(fd)) visitor_.unreadable(*folder, worker);
    ChildFolders children(*folder, reader);
    visitor_.listed(*folder, reader, children, worker);

    const size_t count = children.chosen_.size();
    // Keep the descriptor for the children to open through, unless too many are open already.
    if (count > 0 && openCount_.load(std::memory_order_relaxed) <= openLimit_) {
      folder->fd = fd;
      folder->fdUsers.store(static_cast<int>(count) + 1, std::memory_order_relaxed);
    } else {
      closeFd(fd);
      folder->fd = -1;
    }
    folder->pending.store(static_cast<int>(count) + 1, std::memory_order_relaxed);
    if (count > 0) {
      std::lock_guard<std::mutex> guard(lock_);
      // Reversed: the first child listed is the next folder taken, as in a depth-first walk.
      for (size_t i = count; i-- > 0;) {
        ChildFolders::Chosen& chosen = children.chosen_[i];
        const FolderReader::Entry& entry = reader.entries()[chosen.index];
        WalkFolder* child = newFolder(worker);
        child->data = chosen.data;
        child->path = std::move(chosen.path);
        child->nameStart = child->path.size() - entry.nameLength;
        child->parent = folder;
        child->device = entry.stat.device;
        child->inode = entry.stat.inode;
        child->fd = -1;
        stack_.push_back(child);
      }
    }
    if (count > 1 && workers_.size() > 1)
      ready_.notify_all();
    else if (count == 1)
      ready_.notify_one();
    if (folder->fd >= 0) releaseFd(folder);
    finish(folder, worker);
  }

  void releaseFd(WalkFolder* folder) {
    if (folder->fdUsers.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      closeFd(folder->fd);
      folder->fd = -1;
    }
  }

  void closeFd(int fd) {
    ::close(fd);
    openCount_.fetch_sub(1, std::memory_order_relaxed);
  }

  // The folder's own work is done: leave it, and every ancestor whose last child it was.
  void finish(WalkFolder* folder, unsigned worker) {
    while (folder && folder->pending.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      visitor_.leave(*folder, worker);
      WalkFolder* parent = folder->parent;
      if (!parent) {
        std::lock_guard<std::mutex> guard(lock_);
        done_ = true;
        ready_.notify_all();
      }
      folder->data = nullptr;
      folder->path.clear();
      folder->parent = nullptr;
      workers_[worker].spare.push_back(folder);
      folder = parent;
    }
  }

  void stop() {
    std::lock_guard<std::mutex> guard(lock_);
    stopped_ = true;
    ready_.notify_all();
  }

  const uint64_t device_;
  WalkVisitor& visitor_;
  std::vector<Worker> workers_;
  const int openLimit_;
  std::atomic<int> openCount_{0};

  mutable std::mutex lock_;
  std::condition_variable ready_;
  std::vector<WalkFolder*> stack_;  // guarded by lock_
  bool done_ = false;               // guarded by lock_
  bool stopped_ = false;            // guarded by lock_
};

bool TreeWalk::run(const std::string& root, const EntryStat& rootStat, void* rootData, WalkVisitor& visitor) {
  WalkPool walk(threads_, rootStat.device, visitor);
  WalkFolder* first = walk.newFolder(0);
  first->data = rootData;
  first->path = root;
  first->device = rootStat.device;
  first->inode = rootStat.inode;
  walk.push(first);
  std::vector<std::thread> helpers;
  for (unsigned worker = 1; worker < threads_; ++worker) helpers.emplace_back([&walk, worker] { walk.work(worker); });
  walk.work(0);
  for (std::thread& helper : helpers) helper.join();
  return !walk.stopped();
}

unsigned walkThreads() {
  cpu_set_t set;
  CPU_ZERO(&set);
  const unsigned processors = ::sched_getaffinity(0, sizeof set, &set) == 0 ? static_cast<unsigned>(CPU_COUNT(&set))
                                                                            : std::thread::hardware_concurrency();
  return std::clamp(processors, 1u, 8u);
}

}  // namespace tolvex
