#pragma once
// Where the window's parts lie: the layout nodes the toolkit places, the width breakpoints that
// turn the side panes into sliding overlays, and the rectangles drawing, hit testing and input
// share.

#include <optional>

#include "app/chat_app.hpp"

namespace chat::app {

inline constexpr double kNavPaneWidth = 316;
inline constexpr double kDetailsPaneWidth = 360;
inline constexpr double kHeaderHeight = 60;
// Logical widths below which a pane overlays the conversation instead of docking beside it.
inline constexpr double kNavBreakpoint = 760;
inline constexpr double kDetailsBreakpoint = 1040;

layout::NodeId build_layout(ChatApp& app, layout::LayoutTree& tree,
                            vesk_ui::WidgetRegistry& registry);
void apply_layout(ChatApp& app, const layout::LayoutTree& tree, layout::NodeId node,
                  vesk_ui::Point parent_offset);

// Takes the display scale, sets the width flags from the logical width and moves the pane
// animations; a window without a size yet leaves the flags as they are.
void update_compact_flags(ChatApp& app, float scale);

// The user's choice when there is one, else the pane's default.
bool pane_shown(const PaneAnimation& anim);

double content_left(const ChatApp& app);
double content_right(const ChatApp& app);
double nav_pane_x(const ChatApp& app);
Rect details_rect(const ChatApp& app);
Rect header_rect(const ChatApp& app);
Rect chrome_or_bounds_rect(const ChatApp& app);
bool has_open_popup(const ChatApp& app);
std::optional<Rect> popup_rect(const ChatApp& app);

}  // namespace chat::app
