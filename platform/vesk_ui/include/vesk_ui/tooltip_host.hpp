#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace vesk_ui {

// Hover tooltips: a target under the pointer shows its tooltip after it has stayed there for
// the delay.
class TooltipHost {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TooltipHost(std::chrono::duration<double> delay = std::chrono::milliseconds(500))
      : delay_(delay) {}

  // The pointer is over `target` (none: over nothing with a tooltip). Returns true when what
  // is to be drawn changed.
  bool on_pointer(std::optional<std::string> target, Clock::time_point now);
  // Shows a pending tooltip once its delay has passed. Returns true when it appeared.
  bool tick(Clock::time_point now);

  bool has_pending() const { return target_.has_value() && !shown_; }
  bool visible() const { return target_.has_value() && shown_; }
  const std::optional<std::string>& target() const { return target_; }
  std::chrono::duration<double> delay() const { return delay_; }

 private:
  std::chrono::duration<double> delay_;
  std::optional<std::string> target_;
  Clock::time_point since_{};
  bool shown_ = false;
};

}  // namespace vesk_ui
