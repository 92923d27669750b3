#pragma once
// Where the main composer sits: along the bottom of the conversation column, growing with its
// text. The message list ends above it.

#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>

#include "app/chat_app.hpp"

namespace chat::app {

Rect composer_rect(const ChatApp& app, vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme);

}  // namespace chat::app
