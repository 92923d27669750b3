#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "vesk_ui/avatar.hpp"
#include "vesk_ui/image.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/surface.hpp"
#include "vesk_ui/text_renderer.hpp"
#include "vesk_ui/theme.hpp"

namespace vesk_ui {
namespace {

const Color kRed{1, 0, 0, 1};
const Color kBlue{0, 0, 1, 1};
const Color kGreen{0, 1, 0, 1};
const Color kWhite{1, 1, 1, 1};

void expect_color(Scene& scene, int x, int y, Color want, const char* what, float tol = 0.02f) {
  Color got = scene.pixel(x, y);
  EXPECT_NEAR(got.r, want.r, tol) << what << " at " << x << "," << y;
  EXPECT_NEAR(got.g, want.g, tol) << what << " at " << x << "," << y;
  EXPECT_NEAR(got.b, want.b, tol) << what << " at " << x << "," << y;
  EXPECT_NEAR(got.a, want.a, tol) << what << " at " << x << "," << y;
}

// How much ink was laid down in a box over a plain ground.
double ink(Scene& scene, int x0, int y0, int x1, int y1, Color ground) {
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) sum += std::abs(scene.pixel(x, y).r - ground.r);
  return sum;
}

// Largest difference between channels: grey ink gives ~0, colour emoji much more.
double max_chroma(Scene& scene, int x0, int y0, int x1, int y1) {
  double best = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      Color c = scene.pixel(x, y);
      if (c.a < 0.5f) continue;
      best = std::max<double>(best, std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}));
    }
  return best;
}

TEST(Scene, ShapesLandWhereTheyAreDrawn) {
  Scene scene(200, 120);
  Affine id;
  scene.fill(id, Path::rect({10, 10, 60, 40}), kRed);
  scene.fill(id, Path::rounded_rect({80, 10, 140, 50}, 20), kBlue);
  scene.fill(id, Path::circle(170, 30, 15), kGreen);
  // Translated: the same rectangle lands 100 px lower.
  scene.fill(Affine::translate(0, 70), Path::rect({10, 10, 60, 40}), kRed);
  // A thick stroked line with round caps reaches past its end points by half its width.
  Path line;
  line.move_to(80, 100).line_to(140, 100);
  scene.stroke(id, line, Stroke{10}, kWhite);

  struct Probe {
    int x, y;
    Color want;
    const char* what;
  };
  const Color clear{0, 0, 0, 0};
  const std::vector<Probe> probes = {
      {35, 25, kRed, "inside the rectangle"},
      {9, 25, clear, "left of the rectangle"},
      {110, 30, kBlue, "centre of the rounded rectangle"},
      {81, 11, clear, "rounded-off corner"},
      {82, 30, kBlue, "flat left edge of the rounded rectangle"},
      {170, 30, kGreen, "circle centre"},
      {158, 18, clear, "outside the circle's curve"},
      {35, 95, kRed, "translated rectangle"},
      {110, 100, kWhite, "stroke body"},
      {77, 100, kWhite, "round cap beyond the start"},
      {76, 94, clear, "round cap is not square"},
  };
  for (const Probe& p : probes) expect_color(scene, p.x, p.y, p.want, p.what);
}

TEST(Scene, LayersClipToTheirRectangleAndApplyOpacity) {
  Scene scene(100, 100);
  Affine id;
  scene.push_layer(id, {20, 20, 70, 70});
  scene.fill(id, Path::rect({0, 0, 100, 100}), kRed);
  scene.pop_layer();
  scene.push_layer(Affine::translate(50, 50), {10, 10, 40, 40}, 0.5f);
  scene.fill(id, Path::rect({0, 0, 100, 100}), kBlue);
  scene.pop_layer();
  EXPECT_EQ(scene.layer_depth(), 0);

  expect_color(scene, 40, 40, kRed, "inside the clip");
  expect_color(scene, 10, 10, {0, 0, 0, 0}, "outside the clip");
  expect_color(scene, 70, 30, {0, 0, 0, 0}, "outside both clips");
  expect_color(scene, 80, 80, {0, 0, 1, 0.5f}, "half-opaque layer");
  // Where the translucent layer overlaps the red, red shows through.
  Color over = scene.pixel(65, 65);
  EXPECT_NEAR(over.r, 0.5f, 0.02f);
  EXPECT_NEAR(over.b, 0.5f, 0.02f);
  EXPECT_NEAR(over.a, 1.0f, 0.02f);
}

TEST(Scene, ImagesCoverTheirRoundedRectangle) {
  // Left half red, right half blue, twice as wide as high.
  std::vector<std::uint8_t> rgba(4 * 4 * 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      std::uint8_t* p = &rgba[(y * 4 + x) * 4];
      p[0] = x < 2 ? 255 : 0;
      p[2] = x < 2 ? 0 : 255;
      p[3] = 255;
    }
  auto image = Image::from_rgba(rgba, 4, 2, 16);
  ASSERT_TRUE(image);
  EXPECT_FALSE(Image::from_rgba(rgba, 4, 3, 16));  // too few bytes

  Scene scene(120, 120);
  paint_image_cover(scene, Affine::identity(), *image, {10, 10, 110, 110}, 20);
  expect_color(scene, 30, 60, kRed, "left of the crop", 0.05f);
  expect_color(scene, 90, 60, kBlue, "right of the crop", 0.05f);
  expect_color(scene, 60, 5, {0, 0, 0, 0}, "above the rectangle");
  expect_color(scene, 11, 11, {0, 0, 0, 0}, "rounded corner");
  expect_color(scene, 30, 108, kRed, "bottom edge is covered", 0.05f);
}

TEST(Image, SmallerCopiesAverageAndAreChosenByScale) {
  // Columns alternate red and blue: every half-size pixel averages to purple.
  const int w = 256, h = 128;
  std::vector<std::uint8_t> rgba(w * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &rgba[(y * w + x) * 4];
      p[0] = x % 2 ? 0 : 255;
      p[2] = x % 2 ? 255 : 0;
      p[3] = 255;
    }
  auto plain = Image::from_rgba(rgba, w, h, w * 4);
  auto image = Image::from_rgba(rgba, w, h, w * 4, true);
  EXPECT_EQ(plain->level_count(), 0);
  ASSERT_EQ(image->level_count(), 2);  // 128 x 64 and 64 x 32
  struct Case {
    double scale;
    int width;
  };
  for (Case c : std::vector<Case>{
           {1.0, 256}, {2.0, 256}, {0.6, 256}, {0.5, 128}, {0.3, 128}, {0.25, 64}, {0.01, 64}}) {
    EXPECT_EQ(image->level_for_scale(c.scale).width(), c.width) << c.scale;
  }
  const Image& half = image->level_for_scale(0.5);
  EXPECT_EQ(half.height(), 64);
  Scene scene(128, 64);
  scene.draw_image(Affine::identity(), half, Affine::identity(), Path::rect({0, 0, 128, 64}));
  Color c = scene.pixel(40, 20);
  EXPECT_NEAR(c.r, 128 / 255.0f, 0.01f);
  EXPECT_NEAR(c.b, 128 / 255.0f, 0.01f);
  EXPECT_EQ(c.a, 1.0f);

  // Drawn small, the picture is read from a smaller copy and keeps its colour.
  Scene small(40, 20);
  paint_image_cover(small, Affine::identity(), *image, {0, 0, 40, 20}, 0);
  Color s = small.pixel(20, 10);
  EXPECT_NEAR(s.r, 0.5f, 0.02f);
  EXPECT_NEAR(s.b, 0.5f, 0.02f);
}

TEST(Scene, RendersShapesTextInThreeWeightsAndColourEmojiToPng) {
  Theme theme = Theme::dark();
  TextRenderer text;
  Scene scene(420, 220);
  Affine id;
  scene.fill(id, Path::rect({0, 0, 420, 220}), theme.window_bg);
  surface::shadow(scene, id, {20, 20, 200, 100}, 12);
  surface::card(scene, id, {20, 20, 200, 100}, 12, Colors::lift(0.55f, theme.tokens));
  Painter painter{scene, text};
  Avatar::draw_at(painter, {230, 20, 310, 100}, "AL", theme.palette[4]);

  const char* sample = "Quiet morning";
  std::vector<double> widths;
  std::vector<double> inks;
  for (int weight : {0, 2, 3}) {
    auto layout = text.shape(sample, 20, weight);
    double y = 110 + 30 * (weight == 0 ? 0 : weight - 1);
    text.draw(scene, id, *layout, {20, y}, theme.text_primary);
    widths.push_back(layout->width());
    inks.push_back(ink(scene, 20, static_cast<int>(y), 20 + static_cast<int>(layout->width()) + 1,
                       static_cast<int>(y + layout->height()), theme.window_bg));
  }
  auto emoji = text.shape("🙂🎧", 40);
  text.draw(scene, id, *emoji, {300, 120}, theme.text_primary);

  std::string path = (std::filesystem::temp_directory_path() / "vesk_ui_scene_test.png").string();
  ASSERT_TRUE(scene.write_png(path));
  EXPECT_GT(std::filesystem::file_size(path), 1000u);

  // Heavier weights are wider and lay down more ink.
  EXPECT_LT(widths[0], widths[1]);
  EXPECT_LT(widths[1], widths[2]);
  EXPECT_LT(inks[0], inks[1]);
  EXPECT_LT(inks[1], inks[2]);
  // Text ink is the text colour, not a shade of it, where glyphs are solid.
  EXPECT_LT(max_chroma(scene, 20, 110, 200, 200), 0.1);
  // The emoji came out in colour.
  EXPECT_GT(max_chroma(scene, 300, 120, 300 + static_cast<int>(emoji->width()),
                       120 + static_cast<int>(emoji->height())),
            0.4);
  // Card interior carries the lifted colour; the avatar disc its fill away from the letters.
  Color card = Colors::lift(0.55f, theme.tokens);
  expect_color(scene, 100, 60, card, "card interior");
  expect_color(scene, 236, 60, theme.palette[4], "avatar disc edge", 0.03f);
  expect_color(scene, 231, 21, theme.window_bg, "outside the avatar disc", 0.03f);
}

}  // namespace
}  // namespace vesk_ui
