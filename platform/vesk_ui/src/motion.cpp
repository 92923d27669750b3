#include "vesk_ui/motion.hpp"

#include <algorithm>
#include <cmath>

namespace vesk_ui {

double apply_curve(Curve curve, double t) {
  t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
  switch (curve) {
    case Curve::Linear:
      return t;
    case Curve::EaseOutCubic:
      return 1 - std::pow(1 - t, 3);
    case Curve::EaseInOutCubic:
      return t < 0.5 ? 4 * t * t * t : 1 - std::pow(-2 * t + 2, 3) / 2;
  }
  return t;
}

}  // namespace vesk_ui
