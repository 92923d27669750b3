#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/draw_shapes.hpp"

namespace chat::app {
namespace {

const Color kRed{1, 0, 0, 1};

bool blank(Scene& scene) {
  for (int y = 0; y < scene.height(); ++y)
    for (int x = 0; x < scene.width(); ++x)
      if (scene.pixel(x, y).a > 0) return false;
  return true;
}

TEST(CornerRadius, IsLimitedByTheRectangleAndNeverNegative) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    Rect rect;
    double radius, want;
  };
  const std::vector<Case> cases = {
      {{0, 0, 20, 10}, 50, 5},
      {{0, 0, 20, 10}, 3, 3},
      {{0, 0, 10, 40}, 8, 5},
      {{0, 0, 20, 10}, -4, 0},
      {{0, 0, 40, 10}, nan, 5},
      {{0, 0, 8, 30}, nan, 4},
      {{0, 0, 20, 10}, std::numeric_limits<double>::infinity(), 5},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(clamp_corner_radius(c.rect, c.radius), c.want)
        << c.rect.width() << "x" << c.rect.height() << " r " << c.radius;
  }
}

TEST(Shapes, OversizedRadiusDrawsTheClampedShape) {
  // 20 x 10 with radius 50 comes out the same as radius 5: a stadium.
  Scene asked(40, 30), clamped(40, 30);
  fill_rounded_rect(asked, Affine::identity(), {10, 10, 30, 20}, kRed, 50);
  fill_rounded_rect(clamped, Affine::identity(), {10, 10, 30, 20}, kRed, 5);
  for (int y = 8; y < 22; ++y)
    for (int x = 8; x < 32; ++x) EXPECT_EQ(asked.pixel(x, y), clamped.pixel(x, y)) << x << "," << y;
  EXPECT_EQ(asked.pixel(20, 15), kRed);
  EXPECT_EQ(asked.pixel(10, 10).a, 0.0f);  // corner rounded off
}

TEST(Shapes, EmptyRectanglesDrawNothing) {
  const std::vector<Rect> empties = {
      {10, 10, 10, 30}, {10, 10, 30, 10}, {30, 10, 10, 30}, {0, 0, std::nan(""), 5}};
  for (const Rect& r : empties) {
    Scene scene(40, 40);
    fill_rounded_rect(scene, Affine::identity(), r, kRed, 4);
    stroke_rounded_rect(scene, Affine::identity(), r, kRed, 4, 2);
    fill_rect(scene, Affine::identity(), kRed, r);
    EXPECT_TRUE(blank(scene)) << r.x0 << "," << r.y0 << "," << r.x1 << "," << r.y1;
  }
}

TEST(Shapes, CirclesLinesStrokesAndClips) {
  Scene scene(100, 100);
  Affine id;
  fill_circle(scene, id, kRed, 20, 20, 10);
  stroke_circle(scene, id, Color{0, 0, 1, 1}, 70, 20, 10, 4);
  stroke_hline(scene, Affine::translate(0, 0.5), Color{0, 1, 0, 1}, 10, 90, 50);
  stroke_rounded_rect(scene, id, {10, 60, 50, 90}, Color{1, 1, 0, 1}, 6, 2);
  push_clip(scene, id, {60, 60, 80, 80});
  fill_rect(scene, id, kRed, {0, 0, 100, 100});
  scene.pop_layer();

  EXPECT_EQ(scene.pixel(20, 20), kRed);
  EXPECT_EQ(scene.pixel(20, 5).a, 0.0f);
  EXPECT_EQ(scene.pixel(70, 20).a, 0.0f);  // the outline's hole
  EXPECT_EQ(scene.pixel(80, 20), (Color{0, 0, 1, 1}));
  EXPECT_EQ(scene.pixel(50, 50), (Color{0, 1, 0, 1}));  // a 1-px line on a pixel row
  EXPECT_EQ(scene.pixel(50, 49).a, 0.0f);
  EXPECT_EQ(scene.pixel(50, 51).a, 0.0f);
  EXPECT_EQ(scene.pixel(30, 60), (Color{1, 1, 0, 1}));  // top edge of the outline
  EXPECT_EQ(scene.pixel(30, 75).a, 0.0f);               // inside the outline
  EXPECT_EQ(scene.pixel(70, 70), kRed);                 // inside the clip
  EXPECT_EQ(scene.pixel(90, 70).a, 0.0f);               // outside the clip
  EXPECT_EQ(scene.pixel(5, 95).a, 0.0f);
  EXPECT_EQ(scene.layer_depth(), 0);
}

}  // namespace
}  // namespace chat::app
