#include "actions/encode_action.hpp"

#include <utility>

#include "fatal.hpp"
#include "json/json.hpp"

namespace chat::actions {
namespace {

// Most actions fit without growing the buffer.
constexpr std::size_t kInitialPayloadCapacity = 128;

template <class T>
vesk_actions::EncodedAction encode_as(std::string type_name, const T& value) {
  std::string text;
  text.reserve(kInitialPayloadCapacity);
  json::append_text(text, value);
  return {std::move(type_name), std::vector<std::uint8_t>(text.begin(), text.end())};
}

}  // namespace

vesk_actions::ActionResult<vesk_actions::EncodedAction> encode_typed_action(
    std::string_view type_name, const ChatAction& action) {
  return encode_as(std::string(type_name), action);
}

vesk_actions::EncodedAction encode_chat_action(const ChatAction& action) {
  auto encoded = encode_typed_action(kChatActionType, action);
  if (!encoded) chat::fatal("ChatAction is always serializable");
  return std::move(encoded).value();
}

vesk_actions::ActionResult<vesk_actions::EncodedAction> encode_owned_operation(
    std::string type_name, const ChatOperation& operation) {
  return encode_as(std::move(type_name), operation);
}

vesk_actions::ActionResult<vesk_actions::EncodedAction> encode_typed_operation(
    std::string_view type_name, const ChatOperation& operation) {
  return encode_owned_operation(std::string(type_name), operation);
}

}  // namespace chat::actions
