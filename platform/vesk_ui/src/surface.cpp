#include "vesk_ui/surface.hpp"

#include <algorithm>
#include <cmath>

namespace vesk_ui::surface {

namespace {

double clamp_radius(const Rect& r, double radius) {
  if (std::isnan(radius)) radius = r.width() / 2;
  return std::clamp(radius, 0.0, std::min(r.width(), r.height()) / 2);
}

}  // namespace

Color edge_on(Color bg, float strength) {
  float alpha = std::clamp(0.09f * strength, 0.0f, 1.0f);
  return Colors::hairline_on(bg, static_cast<std::uint8_t>(std::lround(alpha * 255)));
}

void card(Scene& scene, const Affine& t, const Rect& rect, double radius, Color fill) {
  if (rect.is_empty()) return;
  double r = clamp_radius(rect, radius);
  scene.fill(t, Path::rounded_rect(rect, r), fill);
  // The edge sits half a pixel inside so it stays crisp on whole-pixel rectangles.
  Rect edge = rect.inset(0.5);
  if (!edge.is_empty()) {
    scene.stroke(t, Path::rounded_rect(edge, std::max(0.0, r - 0.5)), Stroke{1.0}, edge_on(fill));
  }
}

void separator(Scene& scene, const Affine& t, double x0, double x1, double y, double thickness,
               Color on) {
  if (!(x1 > x0)) return;
  double line = std::clamp(thickness, 0.0, 1.0);
  if (!(line > 0)) return;
  scene.fill(t, Path::rect({x0, y - line / 2, x1, y + line / 2}), edge_on(on, 1.4f));
}

void shadow(Scene& scene, const Affine& t, const Rect& rect, double radius) {
  if (rect.is_empty()) return;
  // A few widening, fading rings give a soft penumbra without a blur pass.
  constexpr int kRings = 4;
  for (int i = kRings; i >= 1; --i) {
    double grow = 2.0 * i;
    Rect r{rect.x0 - grow, rect.y0 - grow + 2, rect.x1 + grow, rect.y1 + grow + 2};
    scene.fill(t, Path::rounded_rect(r, clamp_radius(r, radius + grow)), Color{0, 0, 0, 0.045f});
  }
}

}  // namespace vesk_ui::surface
