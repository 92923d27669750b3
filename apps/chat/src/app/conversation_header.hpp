#pragma once
// The band above the message list: the conversation's sign, name and topic, and the call and
// people buttons.

#include <vector>

#include <vesk_ui/scene.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>
#include <vesk_ui/widget.hpp>

#include "app/chat_app.hpp"
#include "app/hit_target.hpp"

namespace chat::app {

void draw_conversation_header(const ChatApp& app, vesk_ui::Scene& scene,
                              vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                              const vesk_ui::DrawCtx& ctx, std::vector<HitRegion>& hits);

}  // namespace chat::app
