#pragma once

// Applies a chat action to the document: the one writer of the action's variant, after the
// admission check for a sent message.

#include "actions/chat_action.hpp"
#include "crdt/document.hpp"
#include "vesk_actions/action_error.hpp"

namespace chat::actions {

// Always succeeds: a refused or ineffective action is not an error of the framework, and
// refusals are silent.
vesk_actions::ActionResult<void> apply_chat_action(const ChatAction& action, crdt::Document& doc);

}  // namespace chat::actions
