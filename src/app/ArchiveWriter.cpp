#include "app/ArchiveWriter.h"

#include "app/UiDispatch.h"

namespace tolvex {

ArchiveWriter::ArchiveWriter(Write write) : write_(std::move(write)) {
  pool_.setMaxThreadCount(1);
  pool_.setThreadPriority(QThread::LowPriority);
}

ArchiveWriter::~ArchiveWriter() { waitForIdle(); }

void ArchiveWriter::submit(ScanResult result, ScanTarget target) {
  std::lock_guard lock(mutex_);
  pending_.emplace(std::move(result), std::move(target));
  if (running_) return;
  running_ = true;
  startInPool(pool_, [this] { drain(); });
}

void ArchiveWriter::drain() {
  for (;;) {
    std::pair<ScanResult, ScanTarget> request;
    {
      std::lock_guard lock(mutex_);
      if (!pending_) {
        running_ = false;
        return;
      }
      request = std::move(*pending_);
      pending_.reset();
    }
    write_(request.first, request.second);
  }
}

void ArchiveWriter::waitForIdle() { pool_.waitForDone(); }

}  // namespace tolvex
