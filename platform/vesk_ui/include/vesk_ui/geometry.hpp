#pragma once

#include <algorithm>

namespace vesk_ui {

struct Point {
  double x = 0;
  double y = 0;
};

// Window rectangles: (x0, y0) top-left, (x1, y1) bottom-right, in logical pixels.
struct Rect {
  double x0 = 0;
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;

  double width() const { return x1 - x0; }
  double height() const { return y1 - y0; }
  bool is_empty() const { return !(width() > 0) || !(height() > 0); }
  // Half-open: the right and bottom edges are outside.
  bool contains(Point p) const { return p.x >= x0 && p.x < x1 && p.y >= y0 && p.y < y1; }
  Rect inset(double d) const { return {x0 + d, y0 + d, x1 - d, y1 - d}; }
  Point center() const { return {(x0 + x1) / 2, (y0 + y1) / 2}; }
};

// Affine map (x, y) -> (xx*x + xy*y + x0, yx*x + yy*y + y0), the same layout as cairo_matrix_t.
struct Affine {
  double xx = 1;
  double yx = 0;
  double xy = 0;
  double yy = 1;
  double x0 = 0;
  double y0 = 0;

  static Affine identity() { return {}; }
  static Affine translate(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
  static Affine scale(double s) { return {s, 0, 0, s, 0, 0}; }
  static Affine scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static Affine rotate(double radians);

  // (a * b) applies b first, then a.
  friend Affine operator*(const Affine& a, const Affine& b) {
    return {a.xx * b.xx + a.xy * b.yx,        a.yx * b.xx + a.yy * b.yx,
            a.xx * b.xy + a.xy * b.yy,        a.yx * b.xy + a.yy * b.yy,
            a.xx * b.x0 + a.xy * b.y0 + a.x0, a.yx * b.x0 + a.yy * b.y0 + a.y0};
  }
  Point apply(Point p) const { return {xx * p.x + xy * p.y + x0, yx * p.x + yy * p.y + y0}; }
  Affine then_translate(double dx, double dy) const { return translate(dx, dy) * *this; }
  Affine pre_translate(double dx, double dy) const { return *this * translate(dx, dy); }
};

}  // namespace vesk_ui
