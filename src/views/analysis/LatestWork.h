#pragma once
// Background work of one widget where only the newest request counts, such as a list rebuilt on
// every keystroke. The work runs on a thread of its own, one request at a time; a request made while
// another runs waits, replacing any request that was waiting before it. A result reaches the UI
// thread only when no newer request was made in the meantime, and never after the owner is gone.
#include <QObject>
#include <QThreadPool>
#include <functional>
#include <memory>

namespace tolvex {

class UiTaskQueue;

class LatestWork : public QObject {
  Q_OBJECT
 public:
  explicit LatestWork(QObject* owner);
  ~LatestWork() override;  // waits for the running work and drops its result

  // Runs `work` off the UI thread and hands its result to `deliver` on the UI thread. `work` must
  // own (or keep alive) everything it reads.
  template <typename Result>
  void request(std::function<Result()> work, std::function<void(Result&)> deliver) {
    requestErased([work = std::move(work), deliver = std::move(deliver)]() -> std::function<void()> {
      auto result = std::make_shared<Result>(work());
      return [result, deliver] { deliver(*result); };
    });
  }
  // Results of the requests made so far are no longer wanted.
  void drop();
  // A request is running or waiting.
  bool busy() const { return running_ || pending_ != nullptr; }

 private:
  using Erased = std::function<std::function<void()>()>;
  void requestErased(Erased work);
  void startNext();

  QThreadPool pool_;
  UiTaskQueue* ui_;
  uint64_t ticket_ = 0;
  bool running_ = false;
  std::unique_ptr<Erased> pending_;
};

}  // namespace tolvex
