#pragma once

namespace vesk_ui {

enum class Curve { Linear, EaseOutCubic, EaseInOutCubic };

// Shapes progress t in 0..1 (clamped).
double apply_curve(Curve curve, double t);

// A theme's standard movement: how long an open/close takes and how it eases.
struct Motion {
  Curve curve = Curve::EaseOutCubic;
  double duration_s = 0.18;

  bool is_instant() const { return !(duration_s > 0); }
};

}  // namespace vesk_ui
