#include "app/edit_commands.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/composer_commands.hpp"
#include "composer_test_support.hpp"
#include "doc/readers.hpp"

namespace chat::app {
namespace {

using testing::ComposerFixture;
using vesk_ui::NamedKey;

TEST(EditCommands, EditingOwnMessageStoresTheNewTextAsEdited) {
  ComposerFixture f;
  begin_message_edit(*f.app, "m_mine1");
  ASSERT_EQ(f.app->editing_message, "m_mine1");
  EXPECT_TRUE(f.app->edit_input.focused());
  f.type(" again");
  f.key(NamedKey::Enter);
  EXPECT_EQ(f.app->editing_message, std::nullopt);
  EXPECT_EQ(f.app->edit_input.text(), "");
  EXPECT_TRUE(f.app->composer.focused());
  const doc::ChatMessage* edited = f.stored("m_mine1");
  ASSERT_NE(edited, nullptr);
  EXPECT_EQ(edited->text, "my first again");
  EXPECT_TRUE(edited->edited);
  ASSERT_EQ(edited->history.size(), 1u);
  EXPECT_EQ(edited->history[0].text, "my first");
}

TEST(EditCommands, OnlyOwnShownMessagesCanBeEditedAndOnlyWithPermission) {
  struct Case {
    const char* what;
    std::string id;
    bool may_write;
  };
  const std::vector<Case> cases = {
      {"someone else's message", "m_ann1", true},
      {"a message not shown", "m_nowhere", true},
      {"own message, view-only", "m_mine1", false},
  };
  for (const Case& c : cases) {
    ComposerFixture f;
    if (!c.may_write) f.app->permissions = vesk_ui::PermissionContext::up_to(1);
    begin_message_edit(*f.app, c.id);
    EXPECT_EQ(f.app->editing_message, std::nullopt) << c.what;
    EXPECT_EQ(f.app->edit_input.text(), "") << c.what;
  }
}

TEST(EditCommands, BlankEditLeavesEditingAndSendsNothing) {
  ComposerFixture f;
  begin_message_edit(*f.app, "m_mine1");
  f.app->edit_input.set_text("   ");
  commit_message_edit(*f.app, f.doc);
  EXPECT_EQ(f.app->editing_message, std::nullopt);
  EXPECT_EQ(f.stored("m_mine1")->text, "my first");
  EXPECT_FALSE(f.stored("m_mine1")->edited);
}

TEST(EditCommands, EscapeCancelsAnEditAndARename) {
  ComposerFixture f;
  begin_message_edit(*f.app, "m_mine1");
  f.key(NamedKey::Escape);
  EXPECT_EQ(f.app->editing_message, std::nullopt);
  EXPECT_EQ(f.app->edit_input.text(), "");
  EXPECT_EQ(f.stored("m_mine1")->text, "my first");

  begin_rename(*f.app, {RenameTarget::Kind::Conversation, f.conversation});
  f.key(NamedKey::Escape);
  EXPECT_EQ(f.app->rename_target, std::nullopt);
  EXPECT_EQ(f.app->rename_input.text(), "");
  EXPECT_TRUE(f.app->composer.focused());
}

TEST(EditCommands, RenameStoresTheTrimmedNameAndABlankOneNothing) {
  struct Case {
    const char* what;
    std::string typed;
    std::string stored;
  };
  ComposerFixture probe;
  const std::string original = find_channel(*probe.app, probe.conversation)->name;
  const std::vector<Case> cases = {
      {"surrounding blanks are dropped", "  launch plans\u00a0", "launch plans"},
      {"a blank name renames nothing", " \t ", original},
  };
  for (const Case& c : cases) {
    ComposerFixture f;
    begin_rename(*f.app, {RenameTarget::Kind::Conversation, f.conversation});
    EXPECT_EQ(f.app->rename_input.text(), original) << c.what;
    EXPECT_EQ(f.app->rename_input.cursor(), original.size()) << c.what;
    EXPECT_TRUE(f.app->rename_input.focused()) << c.what;
    f.app->rename_input.set_text("");
    f.type(c.typed);
    f.key(NamedKey::Enter);
    EXPECT_EQ(find_channel(*f.app, f.conversation)->name, c.stored) << c.what;
    EXPECT_EQ(f.app->rename_target, std::nullopt) << c.what;
    EXPECT_EQ(f.app->rename_input.text(), "") << c.what;
  }
}

TEST(EditCommands, RenamingACategoryAndOtherKinds) {
  ComposerFixture f;
  ASSERT_FALSE(f.app->view.categories.empty());
  const doc::Category category = f.app->view.categories.front();
  begin_rename(*f.app, {RenameTarget::Kind::Category, category.id});
  EXPECT_EQ(f.app->rename_input.text(), category.name);
  f.app->rename_input.set_text("");
  f.type("Renamed");
  f.key(NamedKey::Enter);
  EXPECT_EQ(find_category(*f.app, category.id)->name, "Renamed");

  // A workspace target starts empty and renames nothing.
  const auto workspaces_before = doc::list_workspaces(f.doc);
  begin_rename(*f.app, {RenameTarget::Kind::Workspace, f.app->view.current_workspace});
  EXPECT_EQ(f.app->rename_input.text(), "");
  f.type("Other");
  f.key(NamedKey::Enter);
  EXPECT_EQ(doc::list_workspaces(f.doc), workspaces_before);
  EXPECT_EQ(f.app->rename_target, std::nullopt);
}

}  // namespace
}  // namespace chat::app
