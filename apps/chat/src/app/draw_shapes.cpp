#include "app/draw_shapes.hpp"

#include <algorithm>
#include <cmath>

namespace chat::app {

using vesk_ui::Path;
using vesk_ui::Stroke;

double clamp_corner_radius(const Rect& rect, double radius) {
  if (std::isnan(radius)) radius = rect.width() / 2;
  radius = std::min({radius, rect.width() / 2, rect.height() / 2});
  return std::max(radius, 0.0);
}

void fill_rounded_rect(Scene& scene, const Affine& t, const Rect& rect, Color color,
                       double radius) {
  if (rect.is_empty()) return;
  scene.fill(t, Path::rounded_rect(rect, clamp_corner_radius(rect, radius)), color);
}

void stroke_rounded_rect(Scene& scene, const Affine& t, const Rect& rect, Color color,
                         double radius, double width) {
  if (rect.is_empty()) return;
  scene.stroke(t, Path::rounded_rect(rect, clamp_corner_radius(rect, radius)), Stroke{width},
               color);
}

void fill_rect(Scene& scene, const Affine& t, Color color, const Rect& rect) {
  if (rect.is_empty()) return;
  scene.fill(t, Path::rect(rect), color);
}

void fill_circle(Scene& scene, const Affine& t, Color color, double cx, double cy, double radius) {
  if (!(radius > 0)) return;
  scene.fill(t, Path::circle(cx, cy, radius), color);
}

void stroke_circle(Scene& scene, const Affine& t, Color color, double cx, double cy, double radius,
                   double width) {
  if (!(radius > 0)) return;
  scene.stroke(t, Path::circle(cx, cy, radius), Stroke{width}, color);
}

void stroke_hline(Scene& scene, const Affine& t, Color color, double x0, double x1, double y) {
  Path line;
  line.move_to(x0, y).line_to(x1, y);
  scene.stroke(t, line, Stroke{1.0}, color);
}

void push_clip(Scene& scene, const Affine& t, const Rect& rect) {
  scene.push_layer(t, rect, 1.0f);
}

}  // namespace chat::app
