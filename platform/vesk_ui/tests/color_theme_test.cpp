#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vesk_ui/color.hpp"
#include "vesk_ui/theme.hpp"

namespace vesk_ui {
namespace {

TEST(Color, LuminanceAndContrastFollowTheWcagFormulas) {
  struct Case {
    std::uint32_t a, b;
    double ratio;
  };
  // Reference ratios from the WCAG definition.
  const std::vector<Case> cases = {
      {0xFFFFFF, 0x000000, 21.0},  {0x777777, 0xFFFFFF, 4.478}, {0x767676, 0xFFFFFF, 4.542},
      {0xFF0000, 0xFFFFFF, 3.998}, {0x123456, 0x123456, 1.0},
  };
  for (const Case& c : cases) {
    Color a = Color::from_rgb(c.a), b = Color::from_rgb(c.b);
    EXPECT_NEAR(contrast_ratio(a, b), c.ratio, 0.002) << std::hex << c.a << " on " << c.b;
    EXPECT_DOUBLE_EQ(contrast_ratio(a, b), contrast_ratio(b, a));
  }
  EXPECT_DOUBLE_EQ(relative_luminance(Color::from_rgb(0xFFFFFF)), 1.0);
  EXPECT_DOUBLE_EQ(relative_luminance(Color::from_rgb(0x000000)), 0.0);
  EXPECT_NEAR(relative_luminance(Color::from_rgb(0x808080)), 0.2158605, 1e-6);
}

TEST(Color, BytesRoundToNearestAndClamp) {
  struct Case {
    float channel;
    int byte;
  };
  for (Case c : std::vector<Case>{{0.0f, 0},
                                  {1.0f, 255},
                                  {0.5f, 128},
                                  {0.499f, 127},
                                  {-0.2f, 0},
                                  {1.7f, 255},
                                  {128 / 255.0f, 128}}) {
    EXPECT_EQ(ColorCompat::to_byte(c.channel), c.byte) << c.channel;
  }
  ColorCompat compat(Color::from_rgb(0x3A5BD6));
  EXPECT_EQ(compat.r(), 0x3A);
  EXPECT_EQ(compat.g(), 0x5B);
  EXPECT_EQ(compat.b(), 0xD6);
  EXPECT_EQ(Color::from_rgb(0xABCDEF).to_rgb(), 0xABCDEFu);
}

TEST(Colors, LiftMovesAlongTheSurfaceRampAndHairlinesContrastWithTheirGround) {
  ColorTokens tokens{Color::from_rgb(0x00FF00), Color::from_rgb(0x202020),
                     Color::from_rgb(0x606060)};
  EXPECT_EQ(Colors::lift(0.0f, tokens).to_rgb(), 0x202020u);
  EXPECT_EQ(Colors::lift(1.0f, tokens).to_rgb(), 0x606060u);
  EXPECT_EQ(Colors::lift(0.5f, tokens).to_rgb(), 0x404040u);
  EXPECT_EQ(Colors::lift(0.72f, tokens).a, 1.0f);

  Color on_dark = Colors::hairline_on(Color::from_rgb(0x1E1F24), 26);
  Color on_light = Colors::hairline_on(Color::from_rgb(0xFFFFFF), 51);
  EXPECT_EQ(on_dark.to_rgb(), 0xFFFFFFu);
  EXPECT_NEAR(on_dark.a, 26 / 255.0f, 1e-6);
  EXPECT_EQ(on_light.to_rgb(), 0x000000u);
  EXPECT_NEAR(on_light.a, 51 / 255.0f, 1e-6);
}

struct NamedTheme {
  std::string name;
  Theme theme;
};

std::vector<NamedTheme> both_themes() {
  return {{"dark", Theme::dark()}, {"light", Theme::light()}};
}

struct Ground {
  const char* name;
  Color color;
};

std::vector<Ground> grounds_of(const Theme& t) {
  return {{"window_bg", t.window_bg}, {"panel_bg", t.panel_bg},     {"rail_bg", t.rail_bg},
          {"field_bg", t.field_bg},   {"popover_bg", t.popover_bg}, {"surface", t.surface}};
}

TEST(Theme, PrimaryTextReachesFourAndAHalfAndMutedTextThreeOnEveryGround) {
  for (const NamedTheme& nt : both_themes()) {
    for (const Ground& g : grounds_of(nt.theme)) {
      EXPECT_GE(contrast_ratio(nt.theme.text_primary, g.color), 4.5) << nt.name << " " << g.name;
      EXPECT_GE(contrast_ratio(nt.theme.text_muted, g.color), 3.0) << nt.name << " " << g.name;
    }
  }
}

TEST(Theme, AccentTextsStayReadableWhereTheyAreDrawn) {
  for (const NamedTheme& nt : both_themes()) {
    const Theme& t = nt.theme;
    for (Color ground : {t.window_bg, t.panel_bg, t.popover_bg}) {
      EXPECT_GE(contrast_ratio(t.accent_text, ground), 4.5) << nt.name;
      // Chips tinted with the accent at the alphas the window uses.
      for (float alpha : {0.14f, 0.16f, 0.22f}) {
        Color chip = composite_over(t.accent.with_alpha(alpha), ground);
        EXPECT_GE(contrast_ratio(t.on_accent_tint, chip), 4.5) << nt.name << " alpha " << alpha;
      }
    }
    EXPECT_GE(contrast_ratio(t.focus_border, t.field_bg), 3.0) << nt.name;
  }
}

TEST(Theme, OnSurfacePicksAReadableInkForAnyFill) {
  for (const NamedTheme& nt : both_themes()) {
    const Theme& t = nt.theme;
    std::vector<Color> fills = {t.accent,
                                t.danger,
                                t.field_bg,
                                t.window_bg,
                                t.tokens_base,
                                Color::from_rgb(0x808080),
                                Color::from_rgb(0xFFFF00)};
    fills.insert(fills.end(), t.palette.begin(), t.palette.end());
    for (Color fill : fills) {
      EXPECT_GE(contrast_ratio(t.on_surface(fill), fill), 4.5)
          << nt.name << " fill " << std::hex << fill.to_rgb();
    }
    // Where the theme's own text reads, it is what is used.
    EXPECT_EQ(t.on_surface(t.window_bg), t.text_primary) << nt.name;
  }
}

TEST(Theme, PaletteColoursAreDistinctAndReadableAsNames) {
  for (const NamedTheme& nt : both_themes()) {
    const Theme& t = nt.theme;
    for (std::size_t i = 0; i < t.palette.size(); ++i) {
      // Author names are drawn bold in the person's colour on the reading ground.
      EXPECT_GE(contrast_ratio(t.palette[i], t.window_bg), 3.0) << nt.name << " " << i;
      for (std::size_t j = i + 1; j < t.palette.size(); ++j) {
        EXPECT_NE(t.palette[i].to_rgb(), t.palette[j].to_rgb()) << nt.name;
      }
    }
  }
}

TEST(Theme, StandardMotionIsInstantUnderReducedMotion) {
  Theme t = Theme::dark();
  EXPECT_FALSE(t.standard_motion().is_instant());
  t.reduced_motion = true;
  EXPECT_TRUE(t.standard_motion().is_instant());
}

TEST(Motion, CurvesRunFromZeroToOneAndClampOutside) {
  for (Curve c : {Curve::Linear, Curve::EaseOutCubic, Curve::EaseInOutCubic}) {
    EXPECT_DOUBLE_EQ(apply_curve(c, 0), 0);
    EXPECT_DOUBLE_EQ(apply_curve(c, 1), 1);
    EXPECT_DOUBLE_EQ(apply_curve(c, -3), 0);
    EXPECT_DOUBLE_EQ(apply_curve(c, 9), 1);
  }
  EXPECT_DOUBLE_EQ(apply_curve(Curve::EaseOutCubic, 0.5), 0.875);
  EXPECT_DOUBLE_EQ(apply_curve(Curve::EaseInOutCubic, 0.5), 0.5);
}

}  // namespace
}  // namespace vesk_ui
