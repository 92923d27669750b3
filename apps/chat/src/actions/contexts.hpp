#pragma once

// The context each chat dispatch carries: the acting application, a title of the change and
// the resource it is about.

#include <string_view>

#include <nlohmann/json.hpp>

#include "actions/chat_action.hpp"
#include "vesk_actions/context.hpp"

namespace chat::actions {

// The reverse-domain identifier the program is known by.
inline constexpr std::string_view kApplicationId = "org.vesk.Chat";
inline constexpr std::string_view kApplicationName = "Chat";

// The generic title of a typed value's JSON: a string or the key of a one-member object,
// humanised; "Update" for anything else.
std::string typed_action_title(const nlohmann::ordered_json& value);

// Title from the action's JSON, the application set, nothing else.
vesk_actions::ActionContext typed_action_context(std::string_view application_id,
                                                 std::string_view application_name,
                                                 const ChatAction& action);

// typed_action_context for this program, with the chat's own title and the target resource
// (address "<kind>:<id>", labelled "Message" for messages and by the bare id otherwise).
vesk_actions::ActionContext chat_action_context(const ChatAction& action);

}  // namespace chat::actions
