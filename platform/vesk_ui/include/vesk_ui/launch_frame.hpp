#pragma once
// The steps of one frame, shared by the window and screenshot mode: sync, layout, draw, then the
// question whether another frame must follow.

#include <optional>
#include <string>

#include "crdt/document.hpp"
#include "layout/layout.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/widget.hpp"

namespace vesk_ui {

struct LayoutError {
  std::string message;
  const std::string& display() const { return message; }
};

// What the widgets asked for at the end of a frame.
struct FrameRequests {
  bool animation = false;  // some widget needs animation frames
  bool redraw = false;     // some widget asked for one more frame
  bool call = false;       // the root widget runs a call
  bool any() const { return animation || redraw || call; }
};

class FrameCycle {
 public:
  void sync(Widget& root, crdt::Document& doc) { root.sync(doc); }

  // Builds the layout tree afresh, computes it for a window of `logical_size` and hands the
  // result to the root widget.
  std::optional<LayoutError> layout(Widget& root, layout::Extent logical_size);

  // Where the last layout placed the root (empty before the first one).
  const Rect& root_rect() const { return root_rect_; }

  void draw(Widget& root, Scene& scene, TextRenderer& text, const Theme& theme, DrawCtx& ctx,
            const PresenceCtx& presence, const PermissionContext& permissions);

  // Asks the root and every widget registered in the last layout; each redraw request is taken
  // (cleared) once. Call right after drawing: child widgets are only known until then.
  FrameRequests finish(Widget& root);

 private:
  layout::LayoutTree tree_;
  WidgetRegistry registry_;
  Rect root_rect_;
};

}  // namespace vesk_ui
