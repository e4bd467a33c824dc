#pragma once
// Engines of an AppState replaced by fakes that a test drives: junk search, duplicate search,
// space sharing, iCloud, and the clock and waits of the minimum durations.
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/AppEnvironment.h"
#include "support/qt/AppFixture.h"

namespace tolvex::test {

// Answers of a fake engine, call by call. Each call takes the current answer; a call may be held at
// a gate of its own until the test opens it. Calls come from background threads.
template <typename Answer>
class Scripted {
 public:
  void answer(Answer value) {
    std::lock_guard lock(state_->mutex);
    state_->answer = std::move(value);
  }
  // Holds call number `n` (1-based) until the returned gate opens.
  std::shared_ptr<Gate> holdCall(int n) {
    std::lock_guard lock(state_->mutex);
    auto gate = std::make_shared<Gate>();
    state_->gates.push_back({n, gate});
    return gate;
  }
  int calls() const { return state_->calls.load(); }
  int returned() const { return state_->returned.load(); }

  // Called by the fake engine: counts the call, waits at its gate, returns the answer of that moment.
  Answer take() const {
    const int n = ++state_->calls;
    std::shared_ptr<Gate> gate;
    {
      std::lock_guard lock(state_->mutex);
      for (auto& [call, g] : state_->gates)
        if (call == n) gate = g;
    }
    if (gate) gate->wait();
    std::lock_guard lock(state_->mutex);
    ++state_->returned;
    return state_->answer;
  }

 private:
  struct State {
    std::mutex mutex;
    Answer answer{};
    std::vector<std::pair<int, std::shared_ptr<Gate>>> gates;
    std::atomic<int> calls{0};
    std::atomic<int> returned{0};
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

// A steady clock the test sets and the waits it fires by hand.
class FakeTime {
 public:
  void set(double seconds) { state_->now = seconds; }
  void advance(double seconds) { state_->now = state_->now + seconds; }
  // The waits asked for and not yet fired, in milliseconds.
  std::vector<int> pending() const {
    std::vector<int> ms;
    for (const auto& [wait, then] : state_->waits) ms.push_back(wait);
    return ms;
  }
  // Fires the oldest pending wait.
  void fire() {
    auto then = std::move(state_->waits.front().second);
    state_->waits.pop_front();
    then();
  }
  void install(AppEnvironment& env) const {
    auto state = state_;
    env.steadyClock = [state] { return state->now.load(); };
    env.wait = [state](int ms, std::function<void()> then) { state->waits.emplace_back(ms, std::move(then)); };
  }

 private:
  struct State {
    std::atomic<double> now{100.0};
    std::deque<std::pair<int, std::function<void()>>> waits;  // UI thread only
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tolvex::test
