#include "actions/executable.hpp"

#include "actions/apply.hpp"
#include "json/json.hpp"

namespace chat::actions {

std::string ExecutableChatAction::debug_text() const {
  return json::debug_text(*action_);
}

vesk_actions::ActionResult<void> ExecutableChatAction::apply(crdt::Document& doc) const {
  return apply_chat_action(*action_, doc);
}

}  // namespace chat::actions
