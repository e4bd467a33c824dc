#pragma once
#include <QObject>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace tolvex {

// Hands work from background threads to the thread of its owner (the UI thread): `post` may be
// called from any thread; the work runs later from the event loop, and never once the queue (a
// child of its owner) is gone. The work travels under a mutex of our own and the wake-up through an
// eventfd, not inside a Qt event, so that the race detector sees every hand-over (Qt itself is not
// instrumented).
class UiTaskQueue : public QObject {
  Q_OBJECT
 public:
  explicit UiTaskQueue(QObject* owner);
  ~UiTaskQueue() override;
  void post(std::function<void()> work);

 private:
  void drain();

  int wakeFd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

// Runs `work` on a thread of `pool`, handed over the same visible way.
void startInPool(QThreadPool& pool, std::function<void()> work);

}  // namespace tolvex
