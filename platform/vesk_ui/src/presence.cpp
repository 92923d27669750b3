#include "vesk_ui/presence.hpp"

#include <cmath>
#include <cstdint>

namespace vesk_ui::presence {

namespace {

Color from_hsl(double h, double s, double l) {
  double c = (1 - std::abs(2 * l - 1)) * s;
  double hp = h / 60.0;
  double x = c * (1 - std::abs(std::fmod(hp, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  if (hp < 1)
    r = c, g = x;
  else if (hp < 2)
    r = x, g = c;
  else if (hp < 3)
    g = c, b = x;
  else if (hp < 4)
    g = x, b = c;
  else if (hp < 5)
    r = x, b = c;
  else
    r = c, b = x;
  double m = l - c / 2;
  return {static_cast<float>(r + m), static_cast<float>(g + m), static_cast<float>(b + m), 1};
}

}  // namespace

Color user_color(std::string_view user_id) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : user_id) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  // Hue from the hash; saturation and lightness fixed so every id gets an equally vivid colour.
  double hue = static_cast<double>(h % 360);
  return from_hsl(hue, 0.62, 0.58);
}

}  // namespace vesk_ui::presence
