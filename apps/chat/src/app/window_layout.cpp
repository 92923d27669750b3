#include "app/window_layout.hpp"

#include <algorithm>

namespace chat::app {

layout::NodeId build_layout(ChatApp& app, layout::LayoutTree& tree,
                            vesk_ui::WidgetRegistry& registry) {
  using layout::Dimension;
  // Where the floating call video goes. Nothing draws into it until a call has video.
  layout::Style video;
  video.position = layout::Position::Absolute;
  video.inset = {Dimension::percent(0.505), Dimension::percent(0.3), Dimension::automatic(),
                 Dimension::automatic()};
  video.size = {Dimension::percent(0.25), Dimension::percent(0.23)};
  const layout::NodeId video_node = tree.new_leaf(video);
  app.video_node = video_node;

  layout::Style window;
  window.position = layout::Position::Relative;
  window.size = {Dimension::percent(1.0), Dimension::percent(1.0)};
  // The child is fresh and the style plain: the tree cannot refuse it.
  const layout::NodeId root = *tree.new_with_children(window, {video_node});
  registry.register_widget(root, app);
  app.root_node = root;
  return root;
}

void apply_layout(ChatApp& app, const layout::LayoutTree& tree, layout::NodeId node,
                  vesk_ui::Point parent_offset) {
  const std::optional<layout::Layout> computed = tree.layout(node);
  if (!computed) return;
  const double x = parent_offset.x + computed->location.x;
  const double y = parent_offset.y + computed->location.y;
  app.bounds = {x, y, x + computed->size.width, y + computed->size.height};
}

layout::NodeId ChatApp::build_layout(layout::LayoutTree& tree, vesk_ui::WidgetRegistry& registry) {
  return app::build_layout(*this, tree, registry);
}

void ChatApp::apply_layout(const layout::LayoutTree& tree, layout::NodeId node,
                           vesk_ui::Point parent_offset) {
  app::apply_layout(*this, tree, node, parent_offset);
}

void update_compact_flags(ChatApp& app, float scale) {
  app.ui_scale = scale;
  const double logical_width = app.bounds.width() / std::max(static_cast<double>(scale), 1.0);
  if (!(logical_width >= 1)) return;
  app.compact_nav = logical_width < kNavBreakpoint;
  app.compact_details = logical_width < kDetailsBreakpoint;
  set_compact(app.nav_anim, app.compact_nav);
  set_compact(app.details_anim, app.compact_details);
  const bool nav_moving = tick(app.nav_anim, app.compact_nav);
  const bool details_moving = tick(app.details_anim, app.compact_details);
  app.animation_requested = nav_moving || details_moving;
}

bool pane_shown(const PaneAnimation& anim) {
  return anim.user_override.value_or(anim.shown);
}

double content_left(const ChatApp& app) {
  return !app.compact_nav && pane_shown(app.nav_anim) ? app.bounds.x0 + kNavPaneWidth
                                                      : app.bounds.x0;
}

double content_right(const ChatApp& app) {
  return !app.compact_details && pane_shown(app.details_anim) ? app.bounds.x1 - kDetailsPaneWidth
                                                              : app.bounds.x1;
}

double nav_pane_x(const ChatApp& app) {
  if (!app.compact_nav) return app.bounds.x0;
  return app.bounds.x0 - kNavPaneWidth * (1 - eased(app.nav_anim));
}

Rect details_rect(const ChatApp& app) {
  const Rect& b = app.bounds;
  if (!app.compact_details) return {b.x1 - kDetailsPaneWidth, b.y0, b.x1, b.y1};
  if (app.open_thread) return b;
  const double x = b.x1 - kDetailsPaneWidth * eased(app.details_anim);
  return {x, b.y0, x + kDetailsPaneWidth, b.y1};
}

Rect header_rect(const ChatApp& app) {
  return {content_left(app), app.bounds.y0, content_right(app),
          app.bounds.y0 + kHeaderHeight * app.ui_scale};
}

Rect chrome_or_bounds_rect(const ChatApp& app) {
  const Rect& c = app.chrome_rect;
  return c.width() > 0 && c.height() > 0 ? c : app.bounds;
}

bool has_open_popup(const ChatApp& app) {
  return app.context_menu && app.context_menu->is_open();
}

std::optional<Rect> popup_rect(const ChatApp& app) {
  if (!has_open_popup(app)) return std::nullopt;
  return app.context_menu->rect();
}

bool ChatApp::has_open_popup() const {
  return app::has_open_popup(*this);
}
std::optional<Rect> ChatApp::popup_rect() const {
  return app::popup_rect(*this);
}

}  // namespace chat::app
