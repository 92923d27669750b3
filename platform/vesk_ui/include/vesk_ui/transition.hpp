#pragma once

#include <chrono>
#include <optional>

#include "vesk_ui/motion.hpp"

namespace vesk_ui {

// An open/closed state that moves between 0 (closed) and 1 (open) with a motion. The first
// setting jumps; a fixed mode pins the progress to a value (reviews, reduced motion).
class Transition {
 public:
  using Clock = std::chrono::steady_clock;

  // Open, progress 1, not animating, not yet initialised.
  Transition() = default;

  void set_open(bool open, const Motion& motion, Clock::time_point now);
  // Advances the clock; returns whether it is still moving.
  bool update(Clock::time_point now);

  // Eased progress, 0..1.
  float progress() const;
  bool animating() const { return animating_ && !fixed_; }
  bool is_open() const { return open_; }
  bool initialised() const { return initialised_; }

  void set_fixed(std::optional<float> value) { fixed_ = value; }
  const std::optional<float>& fixed() const { return fixed_; }
  // Forget the first setting and any movement: the next setting jumps again.
  void clear_flags();

 private:
  bool open_ = true;
  bool initialised_ = false;
  bool animating_ = false;
  double from_ = 1.0;
  double value_ = 1.0;
  Motion motion_;
  Clock::time_point start_{};
  std::optional<float> fixed_;
};

}  // namespace vesk_ui
