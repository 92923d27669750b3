#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/encode_action.hpp"
#include "actions/executable.hpp"
#include "actions/registry.hpp"
#include "json/json.hpp"

namespace chat::actions {
namespace {

using A = ChatAction;

vesk_actions::EncodedAction chat_json(std::string_view text) {
  return {std::string(kChatActionType), std::vector<std::uint8_t>(text.begin(), text.end())};
}

const ChatAction& action_of(const vesk_actions::ExecutableAction& executable) {
  auto* chat = dynamic_cast<const ExecutableChatAction*>(&executable);
  EXPECT_NE(chat, nullptr);
  return chat->action();
}

TEST(RegisterChatActionType, RegisteringTwiceLeavesOneDecoderTheNewerOne) {
  vesk_actions::ActionRegistry registry;
  register_chat_action_type(registry);
  ASSERT_NE(registry.find("chat.action"), nullptr);
  register_chat_action_type(registry);
  EXPECT_EQ(registry.size(), 1u);
  const auto* second = dynamic_cast<const ChatActionDecoder*>(registry.find("chat.action"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->type_name(), "chat.action");
  EXPECT_TRUE(registry.decode(chat_json(R"({"DeleteChannel":{"id":"c1"}})")).ok());
}

TEST(DecodeChatAction, DecodesIntoAnOwnedExecutableChatAction) {
  vesk_actions::ActionRegistry registry;
  register_chat_action_type(registry);
  const ChatAction expected{A::MarkRead{"c1", "u1", -3}};
  std::string text = R"({"MarkRead":{"channel":"c1","user":"u1","count":-3}})";

  auto decoded = registry.decode(chat_json(text));
  text.assign(text.size(), 'x');  // the value owns its strings
  ASSERT_TRUE(decoded.ok()) << decoded.error().display();
  EXPECT_EQ(action_of(*decoded.value()), expected);
  EXPECT_EQ(decoded.value()->debug_text(), json::debug_text(expected));
  EXPECT_FALSE(decoded.value()->needs_transport());

  // Fields the action does not declare are skipped.
  auto extra = registry.decode(chat_json(
      R"({"MarkRead":{"x":{"deep":[1,2]},"channel":"c1","user":"u1","count":-3,"y":0}})"));
  ASSERT_TRUE(extra.ok());
  EXPECT_EQ(action_of(*extra.value()), expected);

  // The decoder may be used again and again.
  const auto again = chat_json(R"({"DeleteChannel":{"id":"c1"}})");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(registry.decode(again).ok());
}

TEST(DecodeChatAction, ErrorsCarryTheDecodersTypeNameAndTheJsonError) {
  vesk_actions::ActionRegistry registry;
  register_chat_action_type(registry);
  register_action_type(registry, "x.custom");
  const std::string broken[] = {
      R"({"SendMessage":{"channel":"c1","id":"m1","author":"u1","text":"hi"}})",  // no ts
      R"("SendMessage")",
      R"({"Nope":{}})",
      "",
  };
  for (const std::string& text : broken) {
    const std::string json_error = json::decode<ChatAction>(text).error().display();
    for (const char* type : {"chat.action", "x.custom"}) {
      vesk_actions::EncodedAction encoded{type,
                                          std::vector<std::uint8_t>(text.begin(), text.end())};
      auto decoded = registry.decode(encoded);
      ASSERT_FALSE(decoded.ok()) << text;
      EXPECT_EQ(decoded.error(), vesk_actions::ActionError::decode(type, json_error));
    }
  }
}

}  // namespace
}  // namespace chat::actions
