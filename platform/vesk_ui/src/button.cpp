#include "vesk_ui/button.hpp"

#include <algorithm>
#include <cmath>

namespace vesk_ui {

void Button::paint(Painter& painter, const Theme& theme, const Rect& rect, int style, double radius,
                   std::string_view label, double label_size, bool enabled, bool emphasised,
                   std::optional<Color> label_color) {
  if (rect.is_empty()) return;
  Color fill = emphasised ? theme.accent : theme.field_bg;
  if (style == 1) {
    if (!enabled) fill = lerp_color(theme.field_bg, theme.panel_bg, 0.5f);
    double r = std::clamp(std::isnan(radius) ? rect.width() / 2 : radius, 0.0,
                          std::min(rect.width(), rect.height()) / 2);
    painter.scene.fill(painter.transform, Path::rounded_rect(rect, r), fill);
  }
  if (label.empty()) return;
  Color ink = label_color  ? *label_color
              : style == 1 ? theme.on_surface(fill)
                           : (emphasised ? theme.accent_text : theme.text_primary);
  if (!enabled) ink = theme.text_muted.multiply_alpha(0.8f);
  auto layout = painter.text.shape(label, label_size, emphasised ? 2 : 1);
  Point c = rect.center();
  painter.text.draw(painter.scene, painter.transform, *layout,
                    {c.x - layout->width() / 2, c.y - layout->height() / 2}, ink);
}

}  // namespace vesk_ui
