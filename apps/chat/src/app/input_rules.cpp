#include "app/input_rules.hpp"

#include <algorithm>

namespace chat::app {

std::optional<std::size_t> next_focus_index(std::optional<std::size_t> current, std::size_t count,
                                            bool backwards) {
  if (count == 0) return std::nullopt;
  if (!current || *current >= count) return backwards ? count - 1 : 0;
  if (backwards) return *current == 0 ? count - 1 : *current - 1;
  return (*current + 1) % count;
}

double wheel_scroll_delta(const vesk_ui::WheelEvent& wheel, double scale_factor) {
  constexpr double kLinePixels = 44;
  if (wheel.unit == vesk_ui::WheelEvent::Unit::Lines) return wheel.dy * kLinePixels;
  return scale_factor > 0 ? wheel.dy / scale_factor : wheel.dy;
}

SwipeOutcome swipe_outcome(double press_x, double current_x) {
  // Only leftward travel counts; a swipe to the right is a click.
  const double travel = std::max(press_x - current_x, 0.0);
  if (travel >= kSwipeDeleteTravel) return SwipeOutcome::Delete;
  if (travel < kSwipeClickTravel) return SwipeOutcome::Open;
  return SwipeOutcome::Nothing;
}

}  // namespace chat::app
