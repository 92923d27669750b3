#include "actions/contexts.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chat::actions {
namespace {

using A = ChatAction;

struct ContextCase {
  ChatAction action;
  std::string title;
  std::string target_text;
  std::string kind;
  std::string label;
};

std::vector<ContextCase> every_variant() {
  return {
      {{A::SendMessage{.channel = "c1", .id = "m_new", .author = "u1", .text = "hi"}},
       "Send message",
       "chat.message:m_new",
       "chat.message",
       "Message"},
      {{A::EditMessage{"c1", "m1", "t", 1}},
       "Edit message",
       "chat.message:m1",
       "chat.message",
       "Message"},
      {{A::DeleteMessage{"c1", "m1"}},
       "Delete message",
       "chat.message:m1",
       "chat.message",
       "Message"},
      {{A::AddReaction{"c1", "m1", "x", "u1"}},
       "Add reaction",
       "chat.message:m1",
       "chat.message",
       "Message"},
      {{A::RemoveReaction{"c1", "m1", "x", "u1"}},
       "Remove reaction",
       "chat.message:m1",
       "chat.message",
       "Message"},
      {{A::PinMessage{"c1", "m1", true}},
       "Pin message",
       "chat.message:m1",
       "chat.message",
       "Message"},
      {{A::PinMessage{"c1", "m1", false}},
       "Unpin message",
       "chat.message:m1",
       "chat.message",
       "Message"},
      {{A::CreateChannel{"w1", "", "c2", "general", ChannelKind::Text}},
       "Create channel",
       "chat.channel:c2",
       "chat.channel",
       "c2"},
      {{A::CreateCategory{"w1", "cat1", "Team"}},
       "Create category",
       "chat.category:cat1",
       "chat.category",
       "cat1"},
      {{A::RenameCategory{"cat1", "Crew"}},
       "Rename category",
       "chat.category:cat1",
       "chat.category",
       "cat1"},
      {{A::DeleteCategory{"cat1"}},
       "Delete category",
       "chat.category:cat1",
       "chat.category",
       "cat1"},
      {{A::SetCategoryCollapsed{"cat1", true}},
       "Collapse category",
       "chat.category:cat1",
       "chat.category",
       "cat1"},
      {{A::SetCategoryCollapsed{"cat1", false}},
       "Expand category",
       "chat.category:cat1",
       "chat.category",
       "cat1"},
      {{A::ReorderChannel{"c1", true}}, "Move channel up", "chat.channel:c1", "chat.channel", "c1"},
      {{A::ReorderChannel{"c1", false}},
       "Move channel down",
       "chat.channel:c1",
       "chat.channel",
       "c1"},
      {{A::RenameChannel{"c1", "x"}}, "Rename channel", "chat.channel:c1", "chat.channel", "c1"},
      {{A::DeleteChannel{"c1"}}, "Delete channel", "chat.channel:c1", "chat.channel", "c1"},
      {{A::ArchiveChannel{"c1", true}}, "Archive channel", "chat.channel:c1", "chat.channel", "c1"},
      {{A::ArchiveChannel{"c1", false}},
       "Unarchive channel",
       "chat.channel:c1",
       "chat.channel",
       "c1"},
      {{A::MarkRead{"c_9", "u1", 4}},
       "Mark channel read",
       "chat.channel:c_9",
       "chat.channel",
       "c_9"},
      {{A::SetAgentWork{.channel = "c1", .msg = "m1"}},
       "Update agent work",
       "chat.message:m1",
       "chat.message",
       "Message"},
      {{A::JoinCall{"v1", "u1"}}, "Join call", "chat.call:v1", "chat.call", "v1"},
      {{A::LeaveCall{"v1", "u1"}}, "Leave call", "chat.call:v1", "chat.call", "v1"},
      {{A::SetCallState{"v1", "u1", true, false, false, false}},
       "Update call state",
       "chat.call:v1",
       "chat.call",
       "v1"},
      {{A::SetScreenShare{"v1", "u1", true}},
       "Start presenting",
       "chat.call:v1",
       "chat.call",
       "v1"},
      {{A::SetScreenShare{"v1", "u1", false}},
       "Stop presenting",
       "chat.call:v1",
       "chat.call",
       "v1"},
      {{A::SetCallTicket{"v1", "u1", "{}"}},
       "Update call connection",
       "chat.call:v1",
       "chat.call",
       "v1"},
  };
}

TEST(ChatActionContext, TitleAndTargetOfEveryVariant) {
  const auto cases = every_variant();
  std::vector<bool> seen(std::variant_size_v<decltype(ChatAction::value)>, false);
  for (const ContextCase& c : cases) {
    SCOPED_TRACE(c.title);
    seen[c.action.value.index()] = true;
    vesk_actions::ActionContext context = chat_action_context(c.action);
    EXPECT_EQ(context.title, c.title);
    ASSERT_TRUE(context.target.has_value());
    EXPECT_EQ(context.target->text, c.target_text);
    EXPECT_EQ(context.target->kind, c.kind);
    EXPECT_EQ(context.target->label, c.label);
    EXPECT_EQ(context.application,
              (vesk_actions::ActionApplication{std::string(kApplicationId), "Chat"}));
    EXPECT_TRUE(context.related.empty());
  }
  for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_TRUE(seen[i]) << "variant " << i;
}

TEST(ChatActionContext, IdsAreJoinedAsTheyAre) {
  // Ids are copied byte for byte: nothing is escaped, trimmed or checked.
  ChatAction odd{A::DeleteChannel{" a:b/ü "}};
  auto context = chat_action_context(odd);
  EXPECT_EQ(context.target->text, "chat.channel: a:b/ü ");
  EXPECT_EQ(context.target->label, " a:b/ü ");
}

TEST(TypedActionContext, TakesTheHumanisedVariantNameAndNoTarget) {
  const std::pair<ChatAction, const char*> cases[] = {
      {{A::MarkRead{"c1", "u1", 1}}, "Mark read"},
      {{A::SetScreenShare{"v1", "u1", false}}, "Set screen share"},
      {{A::SetCallTicket{"v1", "u1", ""}}, "Set call ticket"},
  };
  for (const auto& [action, title] : cases) {
    auto context = typed_action_context("org.example.other", "Other", action);
    EXPECT_EQ(context.title, title);
    EXPECT_EQ(context.application, (vesk_actions::ActionApplication{"org.example.other", "Other"}));
    EXPECT_FALSE(context.target.has_value());
    EXPECT_TRUE(context.related.empty());
  }
}

TEST(TypedActionTitle, OnlyAStringOrAOneMemberObjectNamesTheAction) {
  using J = nlohmann::ordered_json;
  EXPECT_EQ(typed_action_title(J("SendMessage")), "Send message");
  EXPECT_EQ(typed_action_title(J::parse(R"({"DeleteChannel":{"id":"c1"}})")), "Delete channel");
  const J others[] = {
      J::object(), J::parse(R"({"A":1,"B":2})"), J::array({"SendMessage"}), J(3), J(true),
      J(nullptr)};
  for (const J& value : others) EXPECT_EQ(typed_action_title(value), "Update") << value.dump();
}

}  // namespace
}  // namespace chat::actions
