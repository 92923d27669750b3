#pragma once

#include <vesk_ui/color.hpp>
#include <vesk_ui/geometry.hpp>
#include <vesk_ui/scene.hpp>

// The shape primitives every region of the window paints with.
namespace chat::app {

using vesk_ui::Affine;
using vesk_ui::Color;
using vesk_ui::Rect;
using vesk_ui::Scene;

// The corner radius actually drawn: NaN means half the width; then at most half the width and
// half the height, and never negative.
double clamp_corner_radius(const Rect& rect, double radius);

void fill_rounded_rect(Scene& scene, const Affine& t, const Rect& rect, Color color, double radius);
void stroke_rounded_rect(Scene& scene, const Affine& t, const Rect& rect, Color color,
                         double radius, double width);
void fill_rect(Scene& scene, const Affine& t, Color color, const Rect& rect);
void fill_circle(Scene& scene, const Affine& t, Color color, double cx, double cy, double radius);
void stroke_circle(Scene& scene, const Affine& t, Color color, double cx, double cy, double radius,
                   double width);
// A 1-px line from (x0, y) to (x1, y).
void stroke_hline(Scene& scene, const Affine& t, Color color, double x0, double x1, double y);
// Opens a clip to `rect`; the caller closes it with scene.pop_layer().
void push_clip(Scene& scene, const Affine& t, const Rect& rect);

}  // namespace chat::app
