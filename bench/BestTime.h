#pragma once
// The shortest of several timed runs, in seconds: the least disturbed figure on a shared machine.
#include <algorithm>
#include <chrono>
#include <functional>

namespace tolvex::bench {

inline double best(int rounds, const std::function<void()>& f) {
  double t = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    f();
    t = std::min(t, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return t;
}

}  // namespace tolvex::bench
