#pragma once
// What the fuzz targets of our own JSON files check: what was read is written and read back the same.
// Dates go through a change of epoch on the way, so they are compared within a small tolerance.
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tolvex::fuzz {

inline bool sameDate(double a, double b) { return std::fabs(a - b) <= 1e-6 * (1 + std::fabs(a)); }

// Stops the run (a finding) when the lists differ in anything but a date's last bits.
template <typename T>
void requireSame(const std::vector<T>& first, const std::vector<T>& second) {
  if (first.size() != second.size()) std::abort();
  for (size_t i = 0; i < first.size(); ++i) {
    T a = first[i], b = second[i];
    if (!sameDate(a.date, b.date)) std::abort();
    a.date = b.date = 0;
    if (!(a == b)) std::abort();
  }
}

}  // namespace tolvex::fuzz
