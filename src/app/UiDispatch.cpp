#include "app/UiDispatch.h"

#include <QRunnable>
#include <QSocketNotifier>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tolvex {

UiTaskQueue::UiTaskQueue(QObject* owner) : QObject(owner), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &UiTaskQueue::drain);
}

UiTaskQueue::~UiTaskQueue() {
  delete notifier_;
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void UiTaskQueue::post(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(work));
  }
  const uint64_t one = 1;
  [[maybe_unused]] auto written = ::write(wakeFd_, &one, sizeof one);
}

void UiTaskQueue::drain() {
  uint64_t count = 0;
  [[maybe_unused]] auto read = ::read(wakeFd_, &count, sizeof count);
  std::deque<std::function<void()>> ready;
  {
    std::lock_guard lock(mutex_);
    ready.swap(tasks_);
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
