#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/color_math.hpp"

namespace chat::app {
namespace {

using vesk_ui::ColorCompat;
using vesk_ui::contrast_ratio;

Color rgb(std::uint32_t v, float a = 1.0f) {
  return Color::from_rgb(v, a);
}

TEST(MixColor, RoundsHalfAwayFromZeroClampsTAndIsOpaque) {
  struct Case {
    std::uint32_t a, b;
    double t;
    std::uint32_t want;
  };
  const std::vector<Case> cases = {
      {0x000000, 0xFFFFFF, 0.5, 0x808080},  // 127.5 rounds up
      {0xFFFFFF, 0x000000, 0.5, 0x808080},  // 127.5 from above rounds away from zero too
      {0x000000, 0xFFFFFF, 1.7, 0xFFFFFF},  {0x102030, 0xFFFFFF, -2.0, 0x102030},
      {0x0A0A0A, 0x0B0B0B, 0.5, 0x0B0B0B},   // 10.5 -> 11
      {0x00FF00, 0xFF0000, 0.25, 0x40BF00},  // 63.75 -> 64, 191.25 -> 191
      {0x123456, 0x123456, 0.3, 0x123456},
  };
  for (const Case& c : cases) {
    Color m = mix_color(rgb(c.a, 0.2f), rgb(c.b, 0.4f), c.t);
    EXPECT_EQ(m.to_rgb(), c.want) << std::hex << c.a << " " << c.b << " " << c.t;
    EXPECT_EQ(m.a, 1.0f);
  }
  EXPECT_EQ(mix_color(rgb(0x000000), rgb(0xFFFFFF), std::nan("")).to_rgb(), 0x000000u);
}

TEST(EnsureContrast, StepsTowardsTheFartherExtremeFirst) {
  struct Case {
    const char* what;
    std::uint32_t color, background;
    double min_ratio;
    std::uint32_t want;
  };
  const std::vector<Case> cases = {
      // 0x808080 on white is 3.95; one step (0x7B) gives 4.23, the second (0x75) 4.61.
      {"mid grey on white", 0x808080, 0xFFFFFF, 4.5, 0x757575},
      {"already enough", 0x333333, 0xFFFFFF, 4.5, 0x333333},
      // On a dark ground the steps go towards white: 0x60 + 159 * 12/24 = 175.5 -> 0xB0.
      {"grey on dark ground", 0x606060, 0x202020, 7.0, 0xB0B0B0},
      // Nothing reaches 22: the best step (pure black) is kept over a weaker fallback.
      {"unreachable", 0x808080, 0xFFFFFF, 22.0, 0x000000},
  };
  for (const Case& c : cases) {
    Color got = ensure_contrast(rgb(c.color), rgb(c.background), rgb(0xFF0000), c.min_ratio);
    EXPECT_EQ(got.to_rgb(), c.want) << c.what;
  }
  // The ground's luminance decides the order: on mid grey (luminance < 0.5) white is tried first
  // and reaches the ratio before black is looked at.
  Color on_grey = ensure_contrast(rgb(0x777777), rgb(0x777777), rgb(0x000000), 2.0);
  EXPECT_GT(ColorCompat(on_grey).r(), 0x77);
}

TEST(RaiseContrast, MovesTowardsItsTargetAndFallsBackToTheTargetMadeReadable) {
  Color bg = rgb(0xFFFFFF);
  // Already enough: unchanged.
  EXPECT_EQ(raise_contrast(rgb(0x202020), rgb(0x0000FF), bg, 3.0).to_rgb(), 0x202020u);
  // From light pink towards dark red, the first of the 16 steps that reaches 3.
  Color start = rgb(0xFFE0E0), target = rgb(0x800000);
  Color got = raise_contrast(start, target, bg, 3.0);
  EXPECT_GE(contrast_ratio(got, bg), 3.0);
  int k = 1;
  while (k <= 16 && mix_color(start, target, k / 16.0).to_rgb() != got.to_rgb()) ++k;
  ASSERT_LE(k, 16);
  ASSERT_GT(k, 1);  // the first step alone is not enough here
  EXPECT_LT(contrast_ratio(mix_color(start, target, (k - 1) / 16.0), bg), 3.0);
  // A target too light to reach the ratio is itself pushed until it does.
  Color pale = raise_contrast(rgb(0xFFFFFF), rgb(0xEEEEEE), bg, 4.5);
  EXPECT_GE(contrast_ratio(pale, bg), 4.5);
}

TEST(PaletteColor, WrapsTheIndexOverEightColours) {
  vesk_ui::Theme theme = vesk_ui::Theme::dark();
  for (std::uint64_t i : {0ull, 3ull, 7ull}) {
    EXPECT_EQ(palette_color(theme, i), theme.palette[i]);
    EXPECT_EQ(palette_color(theme, i + 8), theme.palette[i]);
  }
  EXPECT_EQ(palette_color(theme, std::numeric_limits<std::uint64_t>::max()), theme.palette[7]);
}

}  // namespace
}  // namespace chat::app
