#include "app/color_math.hpp"

#include <algorithm>
#include <cmath>

namespace chat::app {

using vesk_ui::ColorCompat;
using vesk_ui::contrast_ratio;

Color mix_color(Color a, Color b, double t) {
  t = std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0);
  ColorCompat ca(a), cb(b);
  auto channel = [t](std::uint8_t x, std::uint8_t y) {
    double v = std::round(x + (static_cast<double>(y) - x) * t);
    return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
  };
  return Color::from_bytes(channel(ca.r(), cb.r()), channel(ca.g(), cb.g()),
                           channel(ca.b(), cb.b()));
}

Color ensure_contrast(Color color, Color background, Color fallback, double min_ratio) {
  double best_ratio = contrast_ratio(color, background);
  if (best_ratio >= min_ratio) return color;
  Color best = color;
  const Color black{0, 0, 0, 1}, white{1, 1, 1, 1};
  bool light_ground = vesk_ui::relative_luminance(background) >= 0.5;
  for (Color target : {light_ground ? black : white, light_ground ? white : black}) {
    for (int k = 1; k <= 24; ++k) {
      Color candidate = mix_color(color, target, k / 24.0);
      double ratio = contrast_ratio(candidate, background);
      if (ratio >= min_ratio) return candidate;
      if (ratio > best_ratio) {
        best_ratio = ratio;
        best = candidate;
      }
    }
  }
  return contrast_ratio(fallback, background) > best_ratio ? fallback : best;
}

Color raise_contrast(Color color, Color target, Color background, double min_ratio) {
  if (contrast_ratio(color, background) >= min_ratio) return color;
  for (int k = 1; k <= 16; ++k) {
    Color candidate = mix_color(color, target, k / 16.0);
    if (contrast_ratio(candidate, background) >= min_ratio) return candidate;
  }
  return ensure_contrast(target, background, target, min_ratio);
}

Color palette_color(const vesk_ui::Theme& theme, std::uint64_t index) {
  return theme.palette[index % theme.palette.size()];
}

}  // namespace chat::app
