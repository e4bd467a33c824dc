#pragma once
// Work a screen starts off the UI thread that may outlast the screen: removing a launch item or a
// snapshot waits on the administrator's password for as long as the user takes. The work owns what
// it reads; its result comes back to the UI thread while the owner lives, and is dropped unrun once
// the owner is gone. Nothing ever waits for the work, so leaving a screen never blocks the window.
#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

#include "app/UiDispatch.h"

namespace tolvex {

class DetachedWork : public QObject {
  Q_OBJECT
 public:
  explicit DetachedWork(QObject* owner);
  ~DetachedWork() override;

  // Runs `work` on a thread of a pool shared by all screens and hands its result to `deliver` on the
  // UI thread. Several runs may be under way at once; each delivers when it ends.
  template <typename Result>
  void run(std::function<Result()> work, std::function<void(Result&)> deliver) {
    runErased([work = std::move(work), deliver = std::move(deliver)]() -> std::function<void()> {
      auto result = std::make_shared<Result>(work());
      return [result, deliver] { deliver(*result); };
    });
  }

  // Runs started and not yet delivered.
  int running() const { return running_; }

  // Hands steps from a run's thread to the UI thread while it goes (progress); what arrives once the
  // owner is gone is dropped.
  UiPoster poster() const;

 private:
  // The way back to the UI thread, cut when the owner goes: a worker that ends later finds no queue.
  struct Mailbox {
    std::mutex mutex;
    UiTaskQueue* queue = nullptr;
  };
  using Erased = std::function<std::function<void()>()>;
  void runErased(Erased work);

  std::shared_ptr<Mailbox> mailbox_;
  int running_ = 0;
};

}  // namespace tolvex
