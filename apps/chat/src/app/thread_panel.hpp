#pragma once

// The thread panel in the details pane: the parent message, a divider with the reply count,
// the replies and the thread composer.

#include <vector>

#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/hit_target.hpp"
#include "doc/message_records.hpp"

namespace chat::app {

class ChatApp;

// Whether the details pane is drawn this frame: shown by the user's choice, docked and shown
// by default, or still sliding.
bool details_pane_visible(const ChatApp& app);

// Paints one message of the thread from `top` and returns its bottom; records no regions.
double draw_thread_message(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                           const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                           const doc::ChatMessage& message, double card_x, double text_x,
                           double width, double top);

// The open thread over `pane`.
void draw_thread_panel(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                       const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                       const vesk_ui::Rect& pane, std::vector<HitRegion>& hits);

}  // namespace chat::app
