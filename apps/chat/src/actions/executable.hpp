#pragma once

// A chat action as the action framework's executor sees it.

#include <optional>
#include <string>

#include "actions/chat_action.hpp"
#include "vesk_actions/executable_action.hpp"

namespace chat::actions {

// The table: the action's debug text, apply_chat_action, and no transport (the document's
// own replication carries the change). Either borrows the action (a dispatch from the window)
// or owns it (a decoded payload).
class ExecutableChatAction final : public vesk_actions::ExecutableAction {
 public:
  explicit ExecutableChatAction(const ChatAction& borrowed) : action_(&borrowed) {}
  explicit ExecutableChatAction(ChatAction&& owned) : owned_(std::move(owned)), action_(&*owned_) {}
  ExecutableChatAction(const ExecutableChatAction&) = delete;
  ExecutableChatAction& operator=(const ExecutableChatAction&) = delete;

  const ChatAction& action() const { return *action_; }

  std::string debug_text() const override;
  vesk_actions::ActionResult<void> apply(crdt::Document& doc) const override;
  bool needs_transport() const override { return false; }

 private:
  std::optional<ChatAction> owned_;
  const ChatAction* action_;
};

}  // namespace chat::actions
