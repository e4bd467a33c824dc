#include "app/theme/Spring.h"

#include <algorithm>
#include <cmath>

namespace tolvex {

double Spring::value(double seconds) const {
  if (seconds <= 0) return 0;
  if (!(response > 0)) return 1;
  const double omega = 2 * M_PI / response;
  const double zeta = std::max(damping, 0.0);
  const double decay = std::exp(-zeta * omega * seconds);
  if (zeta >= 1) return 1 - decay * (1 + omega * seconds);  // critically damped (and stiffer)
  const double omegaD = omega * std::sqrt(1 - zeta * zeta);
  return 1 - decay * (std::cos(omegaD * seconds) + zeta * omega / omegaD * std::sin(omegaD * seconds));
}

int Spring::settleMs() const {
  if (!(response > 0)) return 0;
  const double omega = 2 * M_PI / response;
  const double zeta = std::max(damping, 0.0);
  if (zeta <= 0) return 10000;  // never settles: cap it
  // The deviation from the end stays under its envelope, which only shrinks.
  auto envelope = [&](double t) {
    const double decay = std::exp(-zeta * omega * t);
    if (zeta >= 1) return decay * (1 + omega * t);
    const double ratio = zeta / std::sqrt(1 - zeta * zeta);
    return decay * std::sqrt(1 + ratio * ratio);
  };
  for (int ms = 1; ms < 10000; ++ms)
    if (envelope(ms / 1000.0) < 0.005) return ms;
  return 10000;
}

}  // namespace tolvex
