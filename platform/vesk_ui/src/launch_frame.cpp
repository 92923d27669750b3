#include "vesk_ui/launch_frame.hpp"

namespace vesk_ui {

std::optional<LayoutError> FrameCycle::layout(Widget& root, layout::Extent logical_size) {
  tree_.clear();
  registry_.clear();
  layout::NodeId node = root.build_layout(tree_, registry_);
  if (!tree_.has_node(node)) {
    return LayoutError{"the widget's layout node " + std::to_string(node) + " does not exist"};
  }
  tree_.compute_layout(node, logical_size);
  std::optional<layout::Layout> computed = tree_.layout(node);
  if (!computed) return LayoutError{"the layout of the widget's node was not computed"};
  root_rect_ = {computed->location.x, computed->location.y,
                computed->location.x + computed->size.width,
                computed->location.y + computed->size.height};
  root.apply_layout(tree_, node, Point{0, 0});
  return std::nullopt;
}

void FrameCycle::draw(Widget& root, Scene& scene, TextRenderer& text, const Theme& theme,
                      DrawCtx& ctx, const PresenceCtx& presence,
                      const PermissionContext& permissions) {
  scene.clear(theme.window_bg);
  root.draw_with_presence(scene, root_rect_, text, theme, ctx, presence, permissions);
}

FrameRequests FrameCycle::finish(Widget& root) {
  FrameRequests requests;
  requests.animation = root.needs_animation_frame();
  requests.redraw = root.take_redraw_request();
  requests.call = root.call_active();
  for (const auto& [node, widget] : registry_.entries()) {
    if (widget == &root) continue;
    requests.animation = widget->needs_animation_frame() || requests.animation;
    requests.redraw = widget->take_redraw_request() || requests.redraw;
  }
  registry_.clear();
  return requests;
}

}  // namespace vesk_ui
