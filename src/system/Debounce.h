#pragma once
#include <chrono>
#include <optional>

namespace tolvex {

// Turns a burst of events into one action: the action is due `interval` after the last event.
class Debounce {
 public:
  using Clock = std::chrono::steady_clock;
  explicit Debounce(Clock::duration interval) : interval_(interval) {}

  // An event at `now` (re)starts the wait.
  void event(Clock::time_point now) { due_ = now + interval_; }
  // When the action is due; none while no event waits.
  std::optional<Clock::time_point> due() const { return due_; }
  // True once when the wait has run out by `now`; the wait is then over.
  bool fire(Clock::time_point now) {
    if (!due_ || now < *due_) return false;
    due_.reset();
    return true;
  }

 private:
  Clock::duration interval_;
  std::optional<Clock::time_point> due_;
};

}  // namespace tolvex
