#pragma once
// Durations of animations. Every animation takes its duration from here, so that tests and grabs
// (TOLVEX_NO_ANIMATIONS=1) see the end state at once.
namespace tolvex::Anim {

// True when TOLVEX_NO_ANIMATIONS is set to "1".
bool disabled();
// `ms`, or 0 when animations are disabled.
int duration(int ms);

}  // namespace tolvex::Anim
