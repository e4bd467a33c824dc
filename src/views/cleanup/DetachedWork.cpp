#include "views/cleanup/DetachedWork.h"

#include <QThreadPool>

#include "app/UiDispatch.h"

namespace tolvex {

namespace {
// One pool for the screens' own work, apart from the application's: a worker held by a password
// dialog must not hold up a scan.
QThreadPool& screenPool() {
  static QThreadPool pool;
  return pool;
}
}  // namespace

DetachedWork::DetachedWork(QObject* owner) : QObject(owner), mailbox_(std::make_shared<Mailbox>()) {
  mailbox_->queue = new UiTaskQueue(this);
}

DetachedWork::~DetachedWork() {
  std::lock_guard lock(mailbox_->mutex);
  mailbox_->queue = nullptr;  // the queue, a child, goes next with whatever it still holds
}

UiPoster DetachedWork::poster() const {
  std::lock_guard lock(mailbox_->mutex);
  return mailbox_->queue->poster();
}

void DetachedWork::runErased(Erased work) {
  ++running_;
  auto mailbox = mailbox_;
  startInPool(screenPool(), [this, mailbox, work = std::move(work)] {
    std::function<void()> deliver = work();
    std::lock_guard lock(mailbox->mutex);
    if (!mailbox->queue) return;
    // `this` is alive whenever the queue runs what it was given: the queue is this object's child.
    mailbox->queue->post([this, deliver = std::move(deliver)] {
      --running_;
      deliver();
    });
  });
}

}  // namespace tolvex
