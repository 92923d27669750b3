#pragma once

#include <cstdint>

namespace vesk_ui {

// sRGB colour with straight (not premultiplied) alpha, channels in 0..1.
struct Color {
  float r = 0;
  float g = 0;
  float b = 0;
  float a = 1;

  static Color from_rgb(std::uint32_t rrggbb, float alpha = 1.0f);
  static Color from_bytes(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
  Color with_alpha(float alpha) const { return {r, g, b, alpha}; }
  Color multiply_alpha(float factor) const { return {r, g, b, a * factor}; }
  std::uint32_t to_rgb() const;

  friend bool operator==(const Color&, const Color&) = default;
};

// Byte view of a colour's channels (rounded to nearest).
class ColorCompat {
 public:
  explicit ColorCompat(Color c) : c_(c) {}
  std::uint8_t r() const { return to_byte(c_.r); }
  std::uint8_t g() const { return to_byte(c_.g); }
  std::uint8_t b() const { return to_byte(c_.b); }
  std::uint8_t a() const { return to_byte(c_.a); }
  static std::uint8_t to_byte(float channel);

 private:
  Color c_;
};

// WCAG 2 relative luminance of the colour's RGB (alpha ignored).
double relative_luminance(Color c);
// WCAG 2 contrast ratio, 1..21, symmetric.
double contrast_ratio(Color a, Color b);

// Straight per-channel interpolation a + (b - a) * t, alpha included; t is clamped to 0..1.
Color lerp_color(Color a, Color b, float t);
// Source-over composition of a translucent colour onto an opaque ground.
Color composite_over(Color top, Color ground);

// The neutral surface ramp a theme lifts its cards along, and the base colour of its voice and
// live marks.
struct ColorTokens {
  Color base;
  Color surface;
  Color raised;
};

struct Colors {
  // A card colour between the token surface (amount 0) and its fully raised tone (amount 1).
  static Color lift(float amount, const ColorTokens& tokens);
  // A hairline that reads on the given surface: white on dark grounds, black on light ones,
  // with the given alpha byte.
  static Color hairline_on(Color surface, std::uint8_t alpha);
};

}  // namespace vesk_ui
