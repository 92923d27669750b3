#include "actions/registry.hpp"

#include "actions/encode_action.hpp"
#include "actions/executable.hpp"
#include "json/json.hpp"

namespace chat::actions {
namespace {

std::string_view as_text(std::span<const std::uint8_t> payload) {
  return {reinterpret_cast<const char*>(payload.data()), payload.size()};
}

}  // namespace

vesk_actions::ActionResult<std::unique_ptr<vesk_actions::ExecutableAction>>
ChatActionDecoder::decode(std::span<const std::uint8_t> payload) const {
  return decode_chat_action(*this, payload);
}

vesk_actions::ActionResult<std::unique_ptr<vesk_actions::ExecutableAction>> decode_chat_action(
    const ChatActionDecoder& decoder, std::span<const std::uint8_t> payload) {
  auto decoded = json::decode<ChatAction>(as_text(payload));
  if (!decoded)
    return vesk_actions::ActionError::decode(decoder.type_name(), decoded.error().display());
  return std::unique_ptr<vesk_actions::ExecutableAction>(
      std::make_unique<ExecutableChatAction>(std::move(decoded).value()));
}

void register_action_type(vesk_actions::ActionRegistry& registry, std::string_view type_name) {
  registry.insert(std::string(type_name),
                  std::make_unique<ChatActionDecoder>(std::string(type_name)));
}

void register_chat_action_type(vesk_actions::ActionRegistry& registry) {
  register_action_type(registry, kChatActionType);
}

std::optional<DecodedOperation> decode_chat_operation(std::string_view type_name,
                                                      std::span<const std::uint8_t> payload) {
  if (type_name != kChatOperationType) return std::nullopt;
  auto decoded = json::decode<ChatOperation>(as_text(payload));
  if (!decoded) return DecodedOperation(std::in_place_index<1>, decoded.error().display());
  return DecodedOperation(std::in_place_index<0>, std::move(decoded).value());
}

}  // namespace chat::actions
