#include "app/draw_text.hpp"

#include <algorithm>
#include <vector>

namespace chat::app {

namespace {

constexpr std::string_view kEllipsis = "…";

}  // namespace

double paint_text_weighted(vesk_ui::Scene& scene, vesk_ui::TextRenderer& renderer,
                           const vesk_ui::Affine& t, std::string_view text, vesk_ui::Color color,
                           double size, double x, double y, std::optional<int> weight,
                           TextFlags flags) {
  if (text.empty()) return 0;
  auto layout = renderer.shape(text, size, weight.value_or(0), flags.wrap_width);
  renderer.draw(scene, t, *layout, {x, y}, color);
  return layout->width();
}

double draw_text(vesk_ui::Scene& scene, vesk_ui::TextRenderer& renderer, const vesk_ui::Affine& t,
                 std::string_view text, vesk_ui::Color color, double size, double x, double y,
                 TextFlags flags) {
  return paint_text_weighted(scene, renderer, t, text, color, size, x, y, std::nullopt, flags);
}

std::string ellipsize(vesk_ui::TextRenderer& renderer, std::string_view text, double size,
                      double max_width) {
  if (!(max_width > 0)) return {};
  auto whole = renderer.shape(text, size);
  if (whole->width() <= max_width) return std::string(text);

  // Prefix ends at whole characters (clusters kept together), shortest first.
  std::vector<std::size_t> ends;
  for (std::size_t i = whole->next_cursor(0); i < text.size(); i = whole->next_cursor(i)) {
    ends.push_back(i);
  }
  auto fits = [&](std::size_t end) {
    std::string candidate(text.substr(0, end));
    candidate += kEllipsis;
    return renderer.measure(candidate, size).width <= max_width;
  };
  // A longer prefix never measures narrower, so the fitting prefixes are a leading run.
  auto first_too_long = std::partition_point(ends.begin(), ends.end(), fits);
  if (first_too_long == ends.begin()) return std::string(kEllipsis);
  std::string out(text.substr(0, *(first_too_long - 1)));
  out += kEllipsis;
  return out;
}

double row_height(vesk_ui::TextRenderer& renderer, const vesk_ui::Theme& theme) {
  double line = renderer.line_height(12.0 * theme.theme_scale);
  return std::max(22.0, line + 2.0 * theme.spacing_small);
}

GroupPlacement centered_group_y(const vesk_ui::Rect& rect, double a, double b, double c, double d) {
  double top = rect.y0 + d;
  double room = (rect.y1 - d) - top;
  double group = 2 * a + d + b + c;
  double y = std::max(top, top + (room - group) / 2);
  return {y + a, y + 2 * a + d};
}

}  // namespace chat::app
