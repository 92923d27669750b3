#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vesk_ui/button.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/surface.hpp"
#include "vesk_ui/text_renderer.hpp"
#include "vesk_ui/theme.hpp"

namespace vesk_ui {
namespace {

bool near(Color a, Color b, float tol = 0.01f) {
  return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol &&
         std::abs(a.a - b.a) <= tol;
}

// Pixels of the box that differ from `fill`: where a label was drawn.
int marked(Scene& scene, const Rect& box, Color fill) {
  int n = 0;
  for (int y = static_cast<int>(box.y0); y < static_cast<int>(box.y1); ++y)
    for (int x = static_cast<int>(box.x0); x < static_cast<int>(box.x1); ++x)
      if (!near(scene.pixel(x, y), fill, 0.05f)) ++n;
  return n;
}

TEST(Button, FilledStylesFollowEmphasisAndEnablement) {
  Theme theme = Theme::dark();
  TextRenderer text;
  struct Case {
    const char* what;
    int style;
    bool enabled, emphasised;
    bool filled;
    Color fill;
  };
  const std::vector<Case> cases = {
      {"plain filled", 1, true, false, true, theme.field_bg},
      {"emphasised", 1, true, true, true, theme.accent},
      {"disabled", 1, false, true, true, lerp_color(theme.field_bg, theme.panel_bg, 0.5f)},
      {"label only", 0, true, false, false, {}},
  };
  const Rect rect{10, 10, 110, 42};
  for (const Case& c : cases) {
    Scene scene(120, 52);
    Painter painter{scene, text};
    Button::paint(painter, theme, rect, c.style, 9, "Send", 14, c.enabled, c.emphasised);
    Color corner_inside = scene.pixel(14, 26);  // left edge, clear of the label
    if (c.filled) {
      EXPECT_TRUE(near(corner_inside, c.fill)) << c.what;
      EXPECT_EQ(scene.pixel(10, 10).a, 0.0f) << c.what << ": rounded corner";
      EXPECT_GT(marked(scene, {40, 14, 80, 38}, c.fill), 20) << c.what << ": label drawn";
    } else {
      EXPECT_EQ(corner_inside.a, 0.0f) << c.what;
      EXPECT_GT(marked(scene, {40, 14, 80, 38}, Color{0, 0, 0, 0}), 20) << c.what;
    }
  }
  // A label colour given by the caller wins.
  Scene scene(120, 52);
  Painter painter{scene, text};
  Button::paint(painter, theme, rect, 0, 9, "███", 20, true, false, Color{1, 0, 0, 1});
  EXPECT_TRUE(near(scene.pixel(60, 26), Color{1, 0, 0, 1}, 0.05f));
}

TEST(Surface, EdgesSeparatorsAndShadowsStayWhereTheyBelong) {
  Color dark = Color::from_rgb(0x1E1F24), light = Color::from_rgb(0xFFFFFF);
  EXPECT_EQ(surface::edge_on(dark).to_rgb(), 0xFFFFFFu);
  EXPECT_EQ(surface::edge_on(light).to_rgb(), 0x000000u);
  EXPECT_GT(surface::edge_on(dark, 1.6f).a, surface::edge_on(dark).a);

  Scene scene(100, 100);
  surface::separator(scene, Affine::identity(), 10, 90, 50.5, 12, dark);
  Color line = scene.pixel(50, 50);
  EXPECT_GT(line.a, 0.0f);
  EXPECT_EQ(scene.pixel(50, 49).a, 0.0f);  // one pixel thin whatever the band
  EXPECT_EQ(scene.pixel(50, 51).a, 0.0f);
  EXPECT_EQ(scene.pixel(5, 50).a, 0.0f);
  EXPECT_EQ(scene.pixel(95, 50).a, 0.0f);

  Scene shadowed(100, 100);
  surface::shadow(shadowed, Affine::identity(), {30, 30, 70, 70}, 8);
  EXPECT_GT(shadowed.pixel(50, 72).a, shadowed.pixel(50, 78).a);  // fades outwards
  EXPECT_GT(shadowed.pixel(50, 78).a, 0.0f);
  EXPECT_EQ(shadowed.pixel(50, 95).a, 0.0f);
  EXPECT_LT(shadowed.pixel(50, 72).a, 0.5f);  // soft, never a solid band
}

TEST(Scene, PaintsIntoBorrowedPixels) {
  const int w = 16, h = 8, stride = w * 4;
  std::vector<unsigned char> pixels(stride * h, 0);
  {
    Scene scene(pixels.data(), w, h, stride);
    scene.fill(Affine::identity(), Path::rect({0, 0, 8, 8}), Color{0, 0, 1, 1});
    scene.flush();
  }
  auto argb = [&](int x, int y) {
    std::uint32_t v;
    std::memcpy(&v, &pixels[y * stride + x * 4], 4);
    return v;
  };
  EXPECT_EQ(argb(2, 2), 0xFF0000FFu);  // the ARGB8888 an SDL streaming texture takes
  EXPECT_EQ(argb(12, 2), 0u);
}

}  // namespace
}  // namespace vesk_ui
