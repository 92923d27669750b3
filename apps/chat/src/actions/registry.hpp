#pragma once

// The way back from encoded payloads: the registered decoder of "chat.action" and the
// decoding of operations for the window's executor.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "actions/chat_operation.hpp"
#include "vesk_actions/registry.hpp"

namespace chat::actions {

// Decodes ChatAction JSON into an owned ExecutableChatAction.
class ChatActionDecoder final : public vesk_actions::ActionDecoder {
 public:
  explicit ChatActionDecoder(std::string type_name) : type_name_(std::move(type_name)) {}
  const std::string& type_name() const { return type_name_; }

  vesk_actions::ActionResult<std::unique_ptr<vesk_actions::ExecutableAction>> decode(
      std::span<const std::uint8_t> payload) const override;

 private:
  std::string type_name_;
};

// A decode error carries the decoder's type name and the JSON library's error.
vesk_actions::ActionResult<std::unique_ptr<vesk_actions::ExecutableAction>> decode_chat_action(
    const ChatActionDecoder& decoder, std::span<const std::uint8_t> payload);

// Registers a ChatActionDecoder under `type_name`, replacing (and dropping) an earlier one.
void register_action_type(vesk_actions::ActionRegistry& registry, std::string_view type_name);
// register_action_type under "chat.action".
void register_chat_action_type(vesk_actions::ActionRegistry& registry);

// A decoded operation, or the display text of the JSON error that stopped decoding.
using DecodedOperation = std::variant<ChatOperation, std::string>;

// None unless `type_name` is exactly "chat.operation" (the payload is then not looked at).
std::optional<DecodedOperation> decode_chat_operation(std::string_view type_name,
                                                      std::span<const std::uint8_t> payload);

}  // namespace chat::actions
