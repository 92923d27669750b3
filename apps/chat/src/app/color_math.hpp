#pragma once

#include <cstdint>

#include <vesk_ui/color.hpp>
#include <vesk_ui/theme.hpp>

// Colour mixing and contrast adjustment for text drawn on coloured grounds.
namespace chat::app {

using vesk_ui::Color;

// Byte-wise a + (b - a) * t, t limited to 0..1, rounded half away from zero; opaque.
Color mix_color(Color a, Color b, double t);
// The colour when it reaches `min_ratio` against `background`; else the first of 24 steps
// towards black or white (the one farther from the background first) that does; else the
// fallback when it beats the best step, else the best step.
Color ensure_contrast(Color color, Color background, Color fallback, double min_ratio);
// Moves the colour towards `target` in 16 steps until it reaches `min_ratio`; when none does,
// the target made to contrast.
Color raise_contrast(Color color, Color target, Color background, double min_ratio);
// One of the theme's eight person and workspace colours.
Color palette_color(const vesk_ui::Theme& theme, std::uint64_t index);

}  // namespace chat::app
