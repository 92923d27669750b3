#include "app/pane_animation.hpp"

#include <algorithm>
#include <cmath>

namespace chat::app {

namespace {

double target_value(const PaneAnimation& anim, bool compact) {
  return pane_target(anim, compact) ? 1.0 : 0.0;
}

}  // namespace

bool pane_target(const PaneAnimation& anim, bool compact) {
  if (anim.user_override) return *anim.user_override;
  return anim.shown && !compact;
}

PaneAnimation new_pane_animation(bool shown, PaneClock::time_point now) {
  PaneAnimation anim;
  anim.last_tick = now;
  anim.shown = shown;
  anim.value = shown ? 1.0 : 0.0;
  return anim;
}

void set_compact(PaneAnimation& anim, bool compact) {
  if (anim.last_compact == compact) return;
  if (!anim.last_compact) {
    anim.last_compact = compact;
    anim.value = target_value(anim, compact);
    return;
  }
  anim.user_override.reset();
  anim.last_compact = compact;
}

bool tick(PaneAnimation& anim, bool compact, PaneClock::time_point now) {
  double dt = std::chrono::duration<double>(now - anim.last_tick).count();
  dt = std::clamp(dt, 0.0, 0.1);
  anim.last_tick = now;
  double target = target_value(anim, compact);
  anim.value += (1.0 - std::exp(-14.0 * dt)) * (target - anim.value);
  if (std::abs(anim.value - target) < 0.001) {
    anim.value = target;
    return false;
  }
  return true;
}

double eased(const PaneAnimation& anim) {
  double t = std::clamp(anim.value, 0.0, 1.0);
  return 1.0 - std::pow(1.0 - t, 3);
}

}  // namespace chat::app
