#pragma once
// The widget interface: the operations the toolkit calls on a window's widget every frame and for
// every input event. Each has a default, so a widget supplies only what it does itself.

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "crdt/document.hpp"
#include "layout/layout.hpp"
#include "vesk_ui/access.hpp"
#include "vesk_ui/clipboard.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/input.hpp"
#include "vesk_ui/permission.hpp"
#include "vesk_ui/presence_ctx.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/text_renderer.hpp"
#include "vesk_ui/theme.hpp"

namespace vesk_ui {

class Widget;

// Which widget owns which layout node, filled while the widgets build the layout tree. The
// toolkit asks the widgets registered here (besides the root) whether they need frames.
class WidgetRegistry {
 public:
  void register_widget(layout::NodeId node, Widget& widget);
  // None for a node no widget registered.
  Widget* widget_at(layout::NodeId node) const;
  const std::vector<std::pair<layout::NodeId, Widget*>>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

 private:
  std::vector<std::pair<layout::NodeId, Widget*>> entries_;
};

// Handed along with every event and semantic action.
struct ToolkitCtx {
  Clipboard& clipboard;
  std::chrono::steady_clock::time_point now;
};

// The toolkit's part of drawing, passed on unchanged to child widgets. Widgets draw in logical
// pixels; `transform` maps them onto the scene's device pixels.
struct DrawCtx {
  Affine transform;
  double scale_factor = 1.0;
  std::chrono::steady_clock::time_point now;
  // The earliest instant a widget drawn this frame wants the next frame at (a caret blink),
  // so an otherwise idle loop wakes exactly then instead of running frames continuously.
  std::optional<std::chrono::steady_clock::time_point> wake_at{};

  void wake_no_later_than(std::chrono::steady_clock::time_point at) {
    if (!wake_at || at < *wake_at) wake_at = at;
  }
};

class Widget {
 public:
  Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;
  virtual ~Widget() = default;

  // The full type name ("ns::Type"), and its last component.
  virtual std::string type_name() const;
  virtual std::string short_type_name() const;

  // The per-frame state pass, before layout. The document is the one the toolkit keeps.
  virtual void sync(crdt::Document& doc);
  // Adds the widget's nodes to the tree, registers itself (and any child widget) and returns
  // its own node. By default one node filling the parent.
  virtual layout::NodeId build_layout(layout::LayoutTree& tree, WidgetRegistry& registry);
  // Takes the computed layout of `node`; `parent_offset` is the parent's top-left corner.
  virtual void apply_layout(const layout::LayoutTree& tree, layout::NodeId node,
                            Point parent_offset);
  virtual void draw(Scene& scene, const Rect& bounds, TextRenderer& text, const Theme& theme,
                    DrawCtx& ctx) = 0;
  // What the toolkit calls to draw: takes the frame's presence and permissions, then draws.
  virtual void draw_with_presence(Scene& scene, const Rect& bounds, TextRenderer& text,
                                  const Theme& theme, DrawCtx& ctx, const PresenceCtx& presence,
                                  const PermissionContext& permissions);

  // An input event. Positions are physical pixels: divide by `scale_factor` for logical ones.
  // Set `handled` when the event changed anything visible.
  virtual void handle_event(const InputEvent& event, const Modifiers& modifiers,
                            crdt::Document& doc, double scale_factor, ToolkitCtx& ctx,
                            bool& handled);
  // An action on the element with `element_id`; true when it was performed.
  virtual bool perform_semantic_action(std::string_view element_id, const SemanticAction& action,
                                       crdt::Document& doc, ToolkitCtx& ctx);

  virtual AccessNode accessibility() const;
  // Elements of the accessibility tree that are not widgets of their own, by child index path.
  virtual std::optional<Rect> synthetic_accessibility_rect(std::span<const std::size_t> path) const;
  virtual bool focus_synthetic_accessibility(std::span<const std::size_t> path);

  // Namespaces of the encoded operations the widget executes.
  virtual std::vector<std::string> operation_namespaces() const;
  // Where the last layout put the widget.
  virtual Rect widget_bounds() const;
  virtual bool has_open_popup() const;
  virtual std::optional<Rect> popup_rect() const;
  virtual bool is_dragging_surface() const;

  // Frames keep coming while this is true (animations, pending loads).
  virtual bool needs_animation_frame() const;
  // One more frame is wanted; answers true once per request.
  virtual bool take_redraw_request();
  // A call is running: frames come at display rate, since the call's media moves in `sync`.
  virtual bool call_active() const;

 private:
  Rect bounds_;
};

}  // namespace vesk_ui
