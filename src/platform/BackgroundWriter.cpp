#include "platform/BackgroundWriter.h"

#include <algorithm>

namespace tolvex {

BackgroundWriter::BackgroundWriter() : thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void BackgroundWriter::submit(const std::string& key, Write write, Done done) {
  {
    std::lock_guard lock(mutex_);
    auto same = std::find_if(waiting_.begin(), waiting_.end(), [&](const Request& r) { return r.key == key; });
    if (same == waiting_.end()) same = waiting_.insert(waiting_.end(), Request{key, {}, {}});
    same->write = std::move(write);
    if (done) same->done.push_back(std::move(done));
  }
  changed_.notify_all();
}

void BackgroundWriter::waitForIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.empty() && !writing_; });
}

void BackgroundWriter::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !waiting_.empty() || stopping_; });
    if (waiting_.empty()) return;  // stopping, and everything is written
    Request request = std::move(waiting_.front());
    waiting_.pop_front();
    writing_ = true;
    lock.unlock();
    const int error = request.write();
    for (const Done& done : request.done) done(error);
    request = {};  // what the write held goes before the writer is seen idle
    lock.lock();
    writing_ = false;
    changed_.notify_all();
  }
}

}  // namespace tolvex
