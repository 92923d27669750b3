#include "vesk_ui/tooltip_host.hpp"

namespace vesk_ui {

bool TooltipHost::on_pointer(std::optional<std::string> target, Clock::time_point now) {
  if (target == target_) return false;
  bool was_visible = visible();
  target_ = std::move(target);
  since_ = now;
  shown_ = false;
  // A new pending target draws nothing yet; only hiding a visible one changes the frame.
  return was_visible || (target_.has_value() && delay_.count() <= 0 && tick(now));
}

bool TooltipHost::tick(Clock::time_point now) {
  if (!target_ || shown_) return false;
  if (now - since_ < delay_) return false;
  shown_ = true;
  return true;
}

}  // namespace vesk_ui
