#pragma once

#include <vector>

#include "vesk_ui/geometry.hpp"

namespace vesk_ui {

// A vector path of straight and cubic segments, in user coordinates.
class Path {
 public:
  enum class Verb { MoveTo, LineTo, CubicTo, Close };
  struct Element {
    Verb verb;
    Point p[3];
  };

  Path& move_to(double x, double y);
  Path& line_to(double x, double y);
  Path& cubic_to(double x1, double y1, double x2, double y2, double x3, double y3);
  // Circular arc around (cx, cy) from angle a0 to a1 (radians, clockwise in screen space),
  // joined to the current point by a line.
  Path& arc(double cx, double cy, double radius, double a0, double a1);
  Path& close();

  static Path rect(const Rect& r);
  // Radius as given: callers clamp it to the rectangle first.
  static Path rounded_rect(const Rect& r, double radius);
  static Path circle(double cx, double cy, double radius);

  const std::vector<Element>& elements() const { return elements_; }
  bool empty() const { return elements_.empty(); }

 private:
  std::vector<Element> elements_;
};

enum class LineJoin { Round, Miter, Bevel };
enum class LineCap { Round, Butt, Square };

// Defaults: round joins and caps, miter limit 4.
struct Stroke {
  double width = 1.0;
  LineJoin join = LineJoin::Round;
  LineCap cap = LineCap::Round;
  double miter_limit = 4.0;
};

}  // namespace vesk_ui
