#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/draw_text.hpp"

namespace chat::app {
namespace {

using vesk_ui::Affine;
using vesk_ui::Color;
using vesk_ui::Scene;
using vesk_ui::TextRenderer;

struct InkBox {
  int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
};

InkBox ink_box(Scene& scene) {
  InkBox box;
  for (int y = 0; y < scene.height(); ++y)
    for (int x = 0; x < scene.width(); ++x)
      if (scene.pixel(x, y).a > 0.3f) {
        box.x0 = std::min(box.x0, x), box.y0 = std::min(box.y0, y);
        box.x1 = std::max(box.x1, x), box.y1 = std::max(box.y1, y);
      }
  return box;
}

TEST(PaintText, DrawsFromTheTopLeftAndReturnsTheMeasuredWidth) {
  TextRenderer text;
  Scene scene(300, 100);
  double w = paint_text_weighted(scene, text, Affine::identity(), "Hello", Color{1, 1, 1, 1}, 20,
                                 40, 30, 2);
  EXPECT_DOUBLE_EQ(w, text.measure("Hello", 20, 2).width);
  InkBox box = ink_box(scene);
  EXPECT_GE(box.x0, 40);
  EXPECT_LE(box.x0, 44);
  EXPECT_GE(box.y0, 30);
  EXPECT_LE(box.x1, 40 + w + 1);
  EXPECT_LE(box.y1, 30 + text.line_height(20, 2));

  // Without a weight: regular.
  Scene other(300, 100);
  EXPECT_DOUBLE_EQ(draw_text(other, text, Affine::identity(), "Hello", Color{1, 1, 1, 1}, 20, 0, 0),
                   text.measure("Hello", 20).width);

  Scene empty(50, 50);
  EXPECT_EQ(paint_text_weighted(empty, text, Affine::identity(), "", Color{1, 1, 1, 1}, 20, 0, 0),
            0.0);
  EXPECT_EQ(ink_box(empty).x1, -1);

  // Wrapped text grows downwards inside its width.
  Scene wrapped(300, 200);
  paint_text_weighted(wrapped, text, Affine::identity(), "many words that wrap onto lines",
                      Color{1, 1, 1, 1}, 15, 10, 10, 0, TextFlags{80.0});
  InkBox wb = ink_box(wrapped);
  EXPECT_LE(wb.x1, 10 + 80 + 1);
  EXPECT_GT(wb.y1 - wb.y0, 2 * text.line_height(15));
}

TEST(Ellipsize, KeepsTheLongestPrefixThatFitsWithTheEllipsis) {
  TextRenderer text;
  const std::string long_text = "A conversation name that is far too long for its row";
  double full = text.measure(long_text, 13).width;
  struct Case {
    const char* what;
    std::string text;
    double max_width;
    std::string want;  // empty: check the prefix rule instead
  };
  const std::vector<Case> cases = {
      {"fits", "general", 500, "general"},
      {"exactly fits", long_text, full, long_text},
      {"zero width", "general", 0, ""},
      {"negative width", "general", -3, ""},
      {"not one character fits", "general", 1, "…"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ellipsize(text, c.text, 13, c.max_width), c.want) << c.what;
  }

  for (double max_width : {40.0, 90.0, 200.0}) {
    std::string out = ellipsize(text, long_text, 13, max_width);
    ASSERT_GE(out.size(), 3u);
    ASSERT_EQ(out.substr(out.size() - 3), "…");
    std::string prefix = out.substr(0, out.size() - 3);
    EXPECT_EQ(long_text.rfind(prefix, 0), 0u);
    EXPECT_LE(text.measure(out, 13).width, max_width);
    // One more character would not fit.
    std::string longer = long_text.substr(0, prefix.size() + 1) + "…";
    EXPECT_GT(text.measure(longer, 13).width, max_width) << max_width;
  }

  // Characters are never cut: a multi-byte letter or a flag is kept or dropped whole.
  std::string flags = "🇫🇷🇩🇪🇮🇹🇪🇸🇬🇧🇯🇵";
  std::string cut = ellipsize(text, flags, 20, text.measure(flags, 20).width / 2);
  ASSERT_GE(cut.size(), 3u);
  EXPECT_EQ((cut.size() - 3) % 8, 0u);
  std::string accents = "ééééééééééééééé";
  std::string cut2 = ellipsize(text, accents, 20, text.measure(accents, 20).width / 2);
  EXPECT_EQ((cut2.size() - 3) % 2, 0u);
}

TEST(RowHeight, IsALinePlusPaddingAndAtLeastTwentyTwo) {
  TextRenderer text;
  vesk_ui::Theme theme = vesk_ui::Theme::dark();
  double line = text.line_height(12);
  EXPECT_DOUBLE_EQ(row_height(text, theme), std::max(22.0, line + 2 * theme.spacing_small));
  theme.theme_scale = 2.0f;
  EXPECT_DOUBLE_EQ(row_height(text, theme), text.line_height(24) + 2 * theme.spacing_small);
  EXPECT_GT(row_height(text, theme), 22.0);
  theme.theme_scale = 0.25f;
  theme.spacing_small = 0;
  EXPECT_DOUBLE_EQ(row_height(text, theme), 22.0);
}

TEST(CenteredGroupY, CentresTheGroupInTheShrunkRectangle) {
  struct Case {
    vesk_ui::Rect rect;
    double a, b, c, d;
    double avatar_y, label_y;
  };
  const std::vector<Case> cases = {
      // Room 200 - 2*10 = 180 from y 10; group 2*20 + 10 + 16 + 24 = 90: top 10 + 45.
      {{0, 0, 100, 200}, 20, 16, 24, 10, 75, 105},
      // Offset rectangle: the same group moves with it.
      {{0, 100, 100, 300}, 20, 16, 24, 10, 175, 205},
      // Too small for the group: pinned to the shrunk top.
      {{0, 0, 100, 50}, 20, 16, 24, 10, 30, 60},
      {{0, 0, 100, 100}, 10, 10, 0, 0, 50 - 15 + 10, 50 - 15 + 20},
  };
  for (const Case& c : cases) {
    GroupPlacement g = centered_group_y(c.rect, c.a, c.b, c.c, c.d);
    EXPECT_DOUBLE_EQ(g.avatar_center_y, c.avatar_y) << c.rect.y0 << " " << c.rect.y1;
    EXPECT_DOUBLE_EQ(g.label_top, c.label_y) << c.rect.y0 << " " << c.rect.y1;
  }
}

}  // namespace
}  // namespace chat::app
