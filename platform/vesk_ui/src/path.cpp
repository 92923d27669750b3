#include "vesk_ui/path.hpp"

#include <cmath>
#include <numbers>

namespace vesk_ui {

Path& Path::move_to(double x, double y) {
  elements_.push_back({Verb::MoveTo, {{x, y}, {}, {}}});
  return *this;
}

Path& Path::line_to(double x, double y) {
  elements_.push_back({Verb::LineTo, {{x, y}, {}, {}}});
  return *this;
}

Path& Path::cubic_to(double x1, double y1, double x2, double y2, double x3, double y3) {
  elements_.push_back({Verb::CubicTo, {{x1, y1}, {x2, y2}, {x3, y3}}});
  return *this;
}

Path& Path::close() {
  elements_.push_back({Verb::Close, {}});
  return *this;
}

Path& Path::arc(double cx, double cy, double radius, double a0, double a1) {
  // Split into pieces of at most a quarter turn; each piece is one cubic.
  double sweep = a1 - a0;
  int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2))));
  double step = sweep / pieces;
  double k = 4.0 / 3.0 * std::tan(step / 4);
  double a = a0;
  Point start{cx + radius * std::cos(a), cy + radius * std::sin(a)};
  if (elements_.empty() || elements_.back().verb == Verb::Close) {
    move_to(start.x, start.y);
  } else {
    line_to(start.x, start.y);
  }
  for (int i = 0; i < pieces; ++i) {
    double b = a + step;
    double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    cubic_to(cx + radius * (ca - k * sa), cy + radius * (sa + k * ca), cx + radius * (cb + k * sb),
             cy + radius * (sb - k * cb), cx + radius * cb, cy + radius * sb);
    a = b;
  }
  return *this;
}

Path Path::rect(const Rect& r) {
  Path p;
  p.move_to(r.x0, r.y0).line_to(r.x1, r.y0).line_to(r.x1, r.y1).line_to(r.x0, r.y1).close();
  return p;
}

Path Path::rounded_rect(const Rect& r, double radius) {
  if (!(radius > 0)) return rect(r);
  constexpr double pi = std::numbers::pi;
  Path p;
  p.arc(r.x1 - radius, r.y0 + radius, radius, -pi / 2, 0);
  p.arc(r.x1 - radius, r.y1 - radius, radius, 0, pi / 2);
  p.arc(r.x0 + radius, r.y1 - radius, radius, pi / 2, pi);
  p.arc(r.x0 + radius, r.y0 + radius, radius, pi, 3 * pi / 2);
  p.close();
  return p;
}

Path Path::circle(double cx, double cy, double radius) {
  Path p;
  p.arc(cx, cy, radius, 0, 2 * std::numbers::pi);
  p.close();
  return p;
}

}  // namespace vesk_ui
