#pragma once

// The road of a chat action from the window's command handlers to the document: through the
// window's ActionHost under "chat.action", with the action's context.

#include <concepts>

#include "actions/chat_action.hpp"
#include "crdt/document.hpp"
#include "vesk_ui/action_host.hpp"

namespace chat::actions {

// Success and failure look the same to the caller: a failure is logged by the host.
void dispatch_chat_action(vesk_ui::ActionHost& host, crdt::Document& doc, const ChatAction& action);

// The same for a window that keeps its host in a field named `actions`.
template <class Window>
requires requires(Window& window) {
  { window.actions } -> std::convertible_to<vesk_ui::ActionHost&>;
}
void dispatch_chat_action(Window& window, crdt::Document& doc, const ChatAction& action) {
  dispatch_chat_action(static_cast<vesk_ui::ActionHost&>(window.actions), doc, action);
}

}  // namespace chat::actions
