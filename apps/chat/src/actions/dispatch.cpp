#include "actions/dispatch.hpp"

#include "actions/contexts.hpp"
#include "actions/encode_action.hpp"
#include "actions/executable.hpp"

namespace chat::actions {

void dispatch_chat_action(vesk_ui::ActionHost& host, crdt::Document& doc,
                          const ChatAction& action) {
  ExecutableChatAction executable(action);
  host.dispatch_with_context(
      doc, kChatActionType, executable,
      [&action](std::string_view type_name) { return encode_typed_action(type_name, action); },
      chat_action_context(action));
}

}  // namespace chat::actions
