#include "vesk_ui/color.hpp"

#include <algorithm>
#include <cmath>

namespace vesk_ui {

Color Color::from_rgb(std::uint32_t rrggbb, float alpha) {
  return {static_cast<float>((rrggbb >> 16) & 0xff) / 255.0f,
          static_cast<float>((rrggbb >> 8) & 0xff) / 255.0f,
          static_cast<float>(rrggbb & 0xff) / 255.0f, alpha};
}

Color Color::from_bytes(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f};
}

std::uint32_t Color::to_rgb() const {
  ColorCompat c(*this);
  return (std::uint32_t{c.r()} << 16) | (std::uint32_t{c.g()} << 8) | c.b();
}

std::uint8_t ColorCompat::to_byte(float channel) {
  if (!(channel > 0)) return 0;
  if (channel >= 1) return 255;
  return static_cast<std::uint8_t>(std::lround(channel * 255.0f));
}

namespace {

double linear_channel(float c) {
  double v = std::clamp(static_cast<double>(c), 0.0, 1.0);
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

}  // namespace

double relative_luminance(Color c) {
  return 0.2126 * linear_channel(c.r) + 0.7152 * linear_channel(c.g) + 0.0722 * linear_channel(c.b);
}

double contrast_ratio(Color a, Color b) {
  double la = relative_luminance(a);
  double lb = relative_luminance(b);
  if (la < lb) std::swap(la, lb);
  return (la + 0.05) / (lb + 0.05);
}

Color lerp_color(Color a, Color b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Color composite_over(Color top, Color ground) {
  float a = std::clamp(top.a, 0.0f, 1.0f);
  return {top.r * a + ground.r * (1 - a), top.g * a + ground.g * (1 - a),
          top.b * a + ground.b * (1 - a), 1.0f};
}

Color Colors::lift(float amount, const ColorTokens& tokens) {
  Color c = lerp_color(tokens.surface, tokens.raised, amount);
  c.a = 1.0f;
  return c;
}

Color Colors::hairline_on(Color surface, std::uint8_t alpha) {
  float a = alpha / 255.0f;
  return relative_luminance(surface) < 0.4 ? Color{1, 1, 1, a} : Color{0, 0, 0, a};
}

}  // namespace vesk_ui
