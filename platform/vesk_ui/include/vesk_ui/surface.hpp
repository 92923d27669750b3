#pragma once

#include "vesk_ui/color.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/scene.hpp"

// Shared painters for raised surfaces: cards, their edges, separators and shadows.
namespace vesk_ui::surface {

// A subtle edge line for a surface of colour `bg`; `strength` scales its opacity.
Color edge_on(Color bg, float strength = 1.0f);
// A filled rounded card with a hairline edge.
void card(Scene& scene, const Affine& t, const Rect& rect, double radius, Color fill);
// A horizontal divider centred in a band `thickness` tall around y, in the edge colour of `on`.
void separator(Scene& scene, const Affine& t, double x0, double x1, double y, double thickness,
               Color on);
// A soft drop shadow under a rounded rectangle.
void shadow(Scene& scene, const Affine& t, const Rect& rect, double radius);

}  // namespace vesk_ui::surface
