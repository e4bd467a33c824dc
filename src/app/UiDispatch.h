#pragma once
#include <QObject>
#include <QThreadPool>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tolvex {

class UiPoster;

// Hands work from background threads to the thread of its owner (the UI thread): `post` may be
// called from any thread; the work runs later from the event loop, in the order posted, and never
// once the queue (a child of its owner) is gone. The work travels under a mutex of our own and the
// wake-up through an eventfd, not inside a Qt event, so that the race detector sees every hand-over
// (Qt itself is not instrumented).
//
// This and `startInPool` are the one way the UI runs work off its thread and comes back: the core
// parallelises inside a call (see `parallelFor`), never by calling back.
class UiTaskQueue : public QObject {
  Q_OBJECT
 public:
  explicit UiTaskQueue(QObject* owner);
  ~UiTaskQueue() override;
  // Only while the queue is certain to outlive the call (its owner waits for its workers).
  void post(std::function<void()> work);
  // For work that may finish after the owner is gone: the poster keeps the hand-over alive and drops
  // what is posted once the queue is gone.
  UiPoster poster() const;

  struct Channel;

 private:
  void drain();

  std::shared_ptr<Channel> channel_;
  QSocketNotifier* notifier_ = nullptr;
};

// A copyable handle that posts to a `UiTaskQueue` from any thread; see `UiTaskQueue::poster`.
class UiPoster {
 public:
  void post(std::function<void()> work) const;

 private:
  friend class UiTaskQueue;
  explicit UiPoster(std::shared_ptr<UiTaskQueue::Channel> channel) : channel_(std::move(channel)) {}
  std::shared_ptr<UiTaskQueue::Channel> channel_;
};

// Runs `work` on a thread of `pool`, handed over the same visible way.
void startInPool(QThreadPool& pool, std::function<void()> work);

}  // namespace tolvex
