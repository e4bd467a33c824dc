#include "views/analysis/LatestWork.h"

#include "app/UiDispatch.h"

namespace tolvex {

LatestWork::LatestWork(QObject* owner) : QObject(owner), ui_(new UiTaskQueue(this)) { pool_.setMaxThreadCount(1); }

LatestWork::~LatestWork() {
  pending_.reset();
  pool_.waitForDone();  // what it posts dies with the queue, unrun
}

void LatestWork::requestErased(Erased work) {
  ++ticket_;
  pending_ = std::make_unique<Erased>(std::move(work));
  if (!running_) startNext();
}

void LatestWork::drop() {
  ++ticket_;
  pending_.reset();
}

void LatestWork::startNext() {
  if (!pending_) return;
  running_ = true;
  const uint64_t ticket = ticket_;
  std::shared_ptr<Erased> work(pending_.release());
  startInPool(pool_, [this, ticket, work] {
    std::function<void()> deliver = (*work)();
    ui_->post([this, ticket, deliver = std::move(deliver)] {
      running_ = false;
      if (ticket == ticket_) deliver();
      if (!running_) startNext();  // `deliver` may have started the next request itself
    });
  });
}

}  // namespace tolvex
