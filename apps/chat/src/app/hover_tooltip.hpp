#pragma once

// What the hover tooltip says for the point under the pointer.

#include <optional>
#include <string>

#include <vesk_ui/geometry.hpp>

namespace chat::app {

class ChatApp;

// The label of the topmost button with a tooltip under the point (inbox, workspace, add
// reaction, send, emoji, attach and the two pane toggles); else, over the conversation header
// away from its buttons, the conversation's sign, name and topic; else none.
std::optional<std::string> hover_tooltip_text(const ChatApp& app, vesk_ui::Point point);

}  // namespace chat::app
