#include "vesk_ui/transition.hpp"

#include <algorithm>

namespace vesk_ui {

void Transition::set_open(bool open, const Motion& motion, Clock::time_point now) {
  double target = open ? 1.0 : 0.0;
  if (!initialised_) {
    initialised_ = true;
    open_ = open;
    value_ = target;
    animating_ = false;
    return;
  }
  update(now);
  if (open == open_) return;
  open_ = open;
  if (motion.is_instant()) {
    value_ = target;
    animating_ = false;
    return;
  }
  // Reversing mid-way starts from where the value stands, so it never jumps.
  from_ = value_;
  motion_ = motion;
  start_ = now;
  animating_ = true;
}

bool Transition::update(Clock::time_point now) {
  if (!animating_) return false;
  double target = open_ ? 1.0 : 0.0;
  double t = std::chrono::duration<double>(now - start_).count() / motion_.duration_s;
  if (t >= 1.0) {
    value_ = target;
    animating_ = false;
    return false;
  }
  value_ = from_ + (target - from_) * apply_curve(motion_.curve, std::max(t, 0.0));
  return true;
}

float Transition::progress() const {
  if (fixed_) return std::clamp(*fixed_, 0.0f, 1.0f);
  return static_cast<float>(std::clamp(value_, 0.0, 1.0));
}

void Transition::clear_flags() {
  initialised_ = false;
  animating_ = false;
}

}  // namespace vesk_ui
