#pragma once

// The encoded forms of chat actions and operations: JSON text under their type names.

#include <string>
#include <string_view>

#include "actions/chat_action.hpp"
#include "actions/chat_operation.hpp"
#include "vesk_actions/action_error.hpp"
#include "vesk_actions/encoded_action.hpp"

namespace chat::actions {

// The type name of every encoded ChatAction, and the only one in the action registry.
inline constexpr std::string_view kChatActionType = "chat.action";
// The type name of every encoded ChatOperation; executed by the window, never registered.
inline constexpr std::string_view kChatOperationType = "chat.operation";

// The action's JSON text under `type_name`.
vesk_actions::ActionResult<vesk_actions::EncodedAction> encode_typed_action(
    std::string_view type_name, const ChatAction& action);
// encode_typed_action under "chat.action"; stops the program if encoding ever fails.
vesk_actions::EncodedAction encode_chat_action(const ChatAction& action);

// The operation's JSON text under `type_name`, which is taken over or copied.
vesk_actions::ActionResult<vesk_actions::EncodedAction> encode_owned_operation(
    std::string type_name, const ChatOperation& operation);
vesk_actions::ActionResult<vesk_actions::EncodedAction> encode_typed_operation(
    std::string_view type_name, const ChatOperation& operation);

}  // namespace chat::actions
