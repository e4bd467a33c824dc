#include "app/UiDispatch.h"

#include <QRunnable>
#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tolvex {

// What the queue and its posters share: it lives until the last of them goes, so a late post writes
// to an eventfd that is still open, and finds the queue closed.
struct UiTaskQueue::Channel {
  Channel() : wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~Channel() {
    if (wakeFd >= 0) ::close(wakeFd);
  }
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  void post(std::function<void()> work) {
    {
      std::lock_guard lock(mutex);
      if (!open) return;  // `work` goes here, outside the lock
      tasks.push_back(std::move(work));
    }
    const uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(wakeFd, &one, sizeof one);
  }

  const int wakeFd;
  std::mutex mutex;
  std::deque<std::function<void()>> tasks;
  bool open = true;
};

UiTaskQueue::UiTaskQueue(QObject* owner) : QObject(owner), channel_(std::make_shared<Channel>()) {
  notifier_ = new QSocketNotifier(channel_->wakeFd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &UiTaskQueue::drain);
}

UiTaskQueue::~UiTaskQueue() {
  delete notifier_;
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(channel_->mutex);
    channel_->open = false;
    dropped.swap(channel_->tasks);
  }
}

void UiTaskQueue::post(std::function<void()> work) { channel_->post(std::move(work)); }

UiPoster UiTaskQueue::poster() const { return UiPoster(channel_); }

void UiPoster::post(std::function<void()> work) const { channel_->post(std::move(work)); }

void UiTaskQueue::drain() {
  uint64_t count = 0;
  [[maybe_unused]] auto read = ::read(channel_->wakeFd, &count, sizeof count);
  std::deque<std::function<void()>> ready;
  {
    std::lock_guard lock(channel_->mutex);
    ready.swap(channel_->tasks);
  }
  for (auto& work : ready) work();
}

namespace {
// The work is stored and taken under the runnable's own mutex.
class Job : public QRunnable {
 public:
  explicit Job(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    work_ = std::move(work);
  }
  void run() override {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      work.swap(work_);
    }
    work();
  }

 private:
  std::mutex mutex_;
  std::function<void()> work_;
};
}  // namespace

void startInPool(QThreadPool& pool, std::function<void()> work) { pool.start(new Job(std::move(work))); }

}  // namespace tolvex
