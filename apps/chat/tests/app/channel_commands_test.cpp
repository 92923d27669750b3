#include "app/channel_commands.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/activate_target.hpp"
#include "composer_test_support.hpp"
#include "doc/structure_writers.hpp"

namespace chat::app {
namespace {

using testing::ComposerFixture;

std::vector<std::string> sidebar(const ChatApp& app) {
  std::vector<std::string> ids;
  for (const doc::Channel* c : sorted_channels(app)) ids.push_back(c->id);
  return ids;
}

TEST(ChannelCommands, ArchiveTogglesAndLeavesTheShownConversation) {
  ComposerFixture f;
  doc::create_channel(f.doc, f.app->view.current_workspace, "", "c_other", "other",
                      doc::ChannelKind::Text);
  refresh_view(*f.app, f.doc);
  const auto archive = static_cast<std::uint8_t>(ChannelCommand::Archive);
  perform_channel_command(*f.app, f.conversation, archive, f.doc);
  EXPECT_TRUE(find_channel(*f.app, f.conversation)->archived);
  // The view chose the workspace's next text conversation.
  EXPECT_EQ(f.app->view.current_conversation, "c_other");
  perform_channel_command(*f.app, f.conversation, archive, f.doc);
  EXPECT_FALSE(find_channel(*f.app, f.conversation)->archived);
  EXPECT_EQ(f.app->view.current_conversation, "c_other");
}

TEST(ChannelCommands, MovesRenamesAndRefusesChangesWithoutPermission) {
  ComposerFixture f;
  doc::create_channel(f.doc, f.app->view.current_workspace,
                      find_channel(*f.app, f.conversation)->category, "c_other", "other",
                      doc::ChannelKind::Text);
  refresh_view(*f.app, f.doc);
  const std::vector<std::string> before = sidebar(*f.app);
  ASSERT_EQ(before.back(), "c_other");
  perform_channel_command(*f.app, "c_other", static_cast<std::uint8_t>(ChannelCommand::MoveUp),
                          f.doc);
  const std::vector<std::string> moved = sidebar(*f.app);
  ASSERT_EQ(moved.size(), before.size());
  EXPECT_NE(moved.back(), "c_other");

  f.app->permissions = vesk_ui::PermissionContext::up_to(1);
  perform_channel_command(*f.app, "c_other", static_cast<std::uint8_t>(ChannelCommand::Delete),
                          f.doc);
  EXPECT_NE(find_channel(*f.app, "c_other"), nullptr);
  perform_channel_command(*f.app, "c_other", static_cast<std::uint8_t>(ChannelCommand::Rename),
                          f.doc);
  EXPECT_EQ(f.app->rename_target, (RenameTarget{RenameTarget::Kind::Conversation, "c_other"}));
  EXPECT_EQ(f.app->rename_input.text(), "other");
}

TEST(ChannelCommands, NewConversationsAndCategoriesStartInTheRenameBox) {
  ComposerFixture f;
  const std::string ws = f.app->view.current_workspace;
  activate_target(*f.app, hit::AddChannel{ws, ""}, f.doc);
  ASSERT_TRUE(f.app->rename_target.has_value());
  EXPECT_EQ(f.app->rename_target->kind, RenameTarget::Kind::Conversation);
  EXPECT_EQ(f.app->rename_target->id.rfind("c_", 0), 0u);
  EXPECT_EQ(f.app->rename_target->id.size(), 34u);
  EXPECT_EQ(f.app->rename_input.text(), "new-channel");
  EXPECT_TRUE(f.app->rename_input.focused());

  activate_target(*f.app, hit::AddCategory{ws}, f.doc);
  ASSERT_TRUE(f.app->rename_target.has_value());
  EXPECT_EQ(f.app->rename_target->kind, RenameTarget::Kind::Category);
  EXPECT_EQ(f.app->rename_target->id.rfind("cat_", 0), 0u);
  EXPECT_EQ(f.app->rename_input.text(), "New Category");
  const doc::Category* created = find_category(*f.app, f.app->rename_target->id);
  ASSERT_NE(created, nullptr);
  EXPECT_FALSE(created->collapsed);
  activate_target(*f.app, hit::CategoryToggle{created->id}, f.doc);
  EXPECT_TRUE(find_category(*f.app, f.app->rename_target->id)->collapsed);
}

TEST(ChannelCommands, NewIdsAreFreshUuids) {
  const std::string a = new_channel_id(), b = new_channel_id();
  EXPECT_NE(a, b);
  EXPECT_EQ(new_category_id().size(), 36u);
  for (char c : a.substr(2)) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << a;
  EXPECT_EQ(a[14], '4');  // the version digit
}

}  // namespace
}  // namespace chat::app
