#include "app/avatar_presence.hpp"

#include <vesk_ui/avatar.hpp>

#include "app/color_math.hpp"
#include "app/draw_shapes.hpp"

namespace chat::app {

namespace {

std::optional<vesk_ui::Color> presence_dot_color(const vesk_ui::Theme& theme, PresenceCode code) {
  switch (code) {
    case 0:
      return theme.presence_online;
    case 1:
      return theme.presence_idle;
    case 2:
      return theme.presence_dnd;
    case 3:
      return theme.presence_offline;
    default:
      return std::nullopt;
  }
}

}  // namespace

void avatar_with_presence(vesk_ui::Painter& painter, const vesk_ui::Theme& theme,
                          std::string_view initials, std::uint64_t color_index,
                          std::optional<PresenceCode> presence, double cx, double cy,
                          double radius) {
  vesk_ui::Avatar::draw_at(painter, {cx - radius, cy - radius, cx + radius, cy + radius}, initials,
                           palette_color(theme, color_index));
  if (!presence) return;
  std::optional<vesk_ui::Color> dot = presence_dot_color(theme, *presence);
  if (!dot) return;
  double dx = cx + 0.72 * radius, dy = cy + 0.72 * radius;
  fill_circle(painter.scene, painter.transform, theme.surface, dx, dy, 0.32 * radius + 2);
  fill_circle(painter.scene, painter.transform, *dot, dx, dy, 0.32 * radius);
}

}  // namespace chat::app
