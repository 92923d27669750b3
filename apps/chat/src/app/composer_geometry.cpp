#include "app/composer_geometry.hpp"

#include <algorithm>

#include "app/window_layout.hpp"

namespace chat::app {

Rect composer_rect(const ChatApp& app, vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme) {
  const double s = theme.theme_scale;
  const double left = content_left(app), right = content_right(app);
  const double t =
      text.measure(app.composer.text(), 15, 0, std::max(right - left - 48, 40.0)).height;
  const double h = std::clamp(76 * s + std::max(t - 19 * s, 0.0), 76 * s, 200 * s);
  return {left + 14, app.bounds.y1 - h - 12, right - 14, app.bounds.y1 - 12};
}

}  // namespace chat::app
