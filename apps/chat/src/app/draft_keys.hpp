#pragma once

// Which composer the user types into, and where each composer keeps its draft in the document.

#include <optional>
#include <string>

#include <vesk_ui/text_input.hpp>

#include "app/chat_app.hpp"

namespace chat::app {

// The thread composer is in use while it has the focus and a thread is open.
bool thread_composer_in_use(const ChatApp& app);
vesk_ui::TextInput& composer_in_use(ChatApp& app);

// The open thread's key (conversation, "::t::", parent message); none without a thread.
std::optional<std::string> thread_draft_key(const ChatApp& app);
// The key of the composer in use: the thread key or the conversation id.
std::string composer_draft_key(const ChatApp& app);

}  // namespace chat::app
