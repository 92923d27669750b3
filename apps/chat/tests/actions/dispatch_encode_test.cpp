#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/encode_action.hpp"
#include "actions/registry.hpp"
#include "json/json.hpp"

namespace chat::actions {
namespace {

using A = ChatAction;
using O = ChatOperation;

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

TEST(EncodeChatAction, WritesTheCompactJsonUnderChatAction) {
  ChatAction send{
      A::SendMessage{.channel = "c1", .id = "m1", .author = "u1", .ts = 1700000000, .text = "hi"}};
  vesk_actions::EncodedAction encoded = encode_chat_action(send);
  EXPECT_EQ(encoded.type_name, "chat.action");
  EXPECT_EQ(encoded.payload_text(),
            R"({"SendMessage":{"channel":"c1","id":"m1","author":"u1","ts":1700000000,"text":"hi",)"
            R"("parent":null,"attachment":null,"mentions":[],"reference":null}})");

  auto typed = encode_typed_action("x.other", send);
  ASSERT_TRUE(typed.ok());
  EXPECT_EQ(typed.value().type_name, "x.other");
  EXPECT_EQ(typed.value().payload, encoded.payload);
}

TEST(EncodeOperation, BothFormsGiveTheSameEncodedOperation) {
  ChatOperation open{O::OpenChannel{"w1", "c1"}};
  auto owned = encode_owned_operation(std::string(kChatOperationType), open);
  auto borrowed = encode_typed_operation(kChatOperationType, open);
  ASSERT_TRUE(owned.ok());
  ASSERT_TRUE(borrowed.ok());
  EXPECT_EQ(owned.value(), borrowed.value());
  EXPECT_EQ(owned.value().type_name, "chat.operation");
  EXPECT_EQ(owned.value().payload_text(), R"({"OpenChannel":{"workspace":"w1","channel":"c1"}})");
}

TEST(DecodeChatOperation, OnlyChatOperationPayloadsAreDecoded) {
  const std::string valid = R"({"OpenPerson":{"user":"u1"}})";
  const std::string invalid = R"({"OpenPerson":{"user":"u1"})";

  auto decoded = decode_chat_operation("chat.operation", bytes(valid));
  ASSERT_TRUE(decoded.has_value());
  ASSERT_EQ(decoded->index(), 0u);
  const ChatOperation expected{O::OpenPerson{"u1"}};
  EXPECT_EQ(std::get<ChatOperation>(*decoded), expected);

  // Another type name is no operation of this window, whatever the payload holds.
  for (const char* other : {"chat.action", "Chat.operation", "chat.operation ", ""}) {
    EXPECT_FALSE(decode_chat_operation(other, bytes(valid)).has_value()) << other;
    EXPECT_FALSE(decode_chat_operation(other, bytes(invalid)).has_value()) << other;
  }

  auto error = decode_chat_operation("chat.operation", bytes(invalid));
  ASSERT_TRUE(error.has_value());
  ASSERT_EQ(error->index(), 1u);
  EXPECT_EQ(std::get<std::string>(*error), json::decode<ChatOperation>(invalid).error().display());

  auto action_json =
      decode_chat_operation("chat.operation", bytes(R"({"DeleteChannel":{"id":"c"}})"));
  ASSERT_TRUE(action_json.has_value());
  EXPECT_EQ(action_json->index(), 1u);  // an action's JSON is no operation
}

}  // namespace
}  // namespace chat::actions
