#pragma once
// The motion of a damped spring released from 0 towards 1, for animations that should settle the
// way a physical spring does (a bounce when the damping is below 1, none at 1).
namespace tolvex {

struct Spring {
  double response = 0.5;  // seconds of one undamped oscillation
  double damping = 1.0;   // damping fraction: 1 settles without overshoot, less bounces

  // Progress at `seconds` after release: 0 at the start, tending to 1; above 1 while overshooting.
  double value(double seconds) const;
  // Milliseconds until the motion stays within 0.5 % of its end.
  int settleMs() const;
};

}  // namespace tolvex
