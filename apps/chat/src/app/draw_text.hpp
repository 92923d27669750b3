#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <vesk_ui/color.hpp>
#include <vesk_ui/geometry.hpp>
#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>

// Text primitives: measured and painted at a top-left point through the toolkit renderer.
namespace chat::app {

struct TextFlags {
  // Wrap at this width instead of keeping one line.
  std::optional<double> wrap_width;
};

// Paints `text` with its top-left at (x, y) and returns its measured width; an empty text
// paints nothing and measures 0.
double paint_text_weighted(vesk_ui::Scene& scene, vesk_ui::TextRenderer& renderer,
                           const vesk_ui::Affine& t, std::string_view text, vesk_ui::Color color,
                           double size, double x, double y,
                           std::optional<int> weight = std::nullopt, TextFlags flags = {});
double draw_text(vesk_ui::Scene& scene, vesk_ui::TextRenderer& renderer, const vesk_ui::Affine& t,
                 std::string_view text, vesk_ui::Color color, double size, double x, double y,
                 TextFlags flags = {});

// The text when it fits in `max_width` at `size`; otherwise its longest prefix of whole
// characters that still fits with "…" after it; empty for a width of 0 or less.
std::string ellipsize(vesk_ui::TextRenderer& renderer, std::string_view text, double size,
                      double max_width);

// Height of one list row: a 12-px line at the theme's scale with small padding above and
// below, at least 22.
double row_height(vesk_ui::TextRenderer& renderer, const vesk_ui::Theme& theme);

struct GroupPlacement {
  double avatar_center_y;
  double label_top;
};
// Centres an avatar (radius a), a gap d, a label (height b) and a further c vertically in
// `rect` shrunk by d at top and bottom, never above that shrunk top.
GroupPlacement centered_group_y(const vesk_ui::Rect& rect, double a, double b, double c, double d);

}  // namespace chat::app
