#include "app/input_events.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/edit_commands.hpp"
#include "composer_test_support.hpp"
#include "doc/structure_writers.hpp"

namespace chat::app {
namespace {

using testing::ComposerFixture;
using vesk_ui::ElementState;
using vesk_ui::NamedKey;
using vesk_ui::PointerButton;
using vesk_ui::PointerButtonKind;
using vesk_ui::PointerMoved;

void click(ComposerFixture& f, double x, double y) {
  f.event(PointerMoved{x, y});
  f.event(PointerButton{PointerButtonKind::Primary, ElementState::Pressed});
  f.event(PointerButton{PointerButtonKind::Primary, ElementState::Released});
}

TEST(InputEvents, KeysAndTextGoToTheRenameBoxThenTheEditBoxThenTheComposer) {
  struct Case {
    const char* what;
    bool rename, edit;
    std::string rename_text, edit_text, composer_text;
  };
  const std::vector<Case> cases = {
      {"rename wins over an edit", true, true, "x", "my first", ""},
      {"the edit box before the composer", false, true, "", "my firstx", ""},
      {"the composer otherwise", false, false, "", "", "x"},
  };
  for (const Case& c : cases) {
    ComposerFixture f;
    if (c.edit) begin_message_edit(*f.app, "m_mine1");
    if (c.rename) {
      begin_rename(*f.app, {RenameTarget::Kind::Conversation, f.conversation});
      f.app->rename_input.set_text("");
    }
    f.type("x");
    EXPECT_EQ(f.app->rename_input.text(), c.rename_text) << c.what;
    EXPECT_EQ(f.app->edit_input.text(), c.edit_text) << c.what;
    EXPECT_EQ(f.app->composer.text(), c.composer_text) << c.what;
    EXPECT_EQ(f.draft(f.conversation), c.composer_text) << c.what;
  }
}

TEST(InputEvents, AnOpenContextMenuSwallowsTypingAndPrimaryPresses) {
  ComposerFixture f;
  f.app->context_menu = vesk_ui::ContextMenu({vesk_ui::ContextMenuItem::plain("Rename")});
  f.app->context_menu->open_at(500, 300);
  push_hit_region(f.app->hit_regions, {0, 0, 100, 100}, hit::Send{});
  doc::set_draft_text(f.doc, f.conversation, "ready");
  refresh_view(*f.app, f.doc);
  const std::size_t before = f.messages().size();

  f.type("x");
  EXPECT_EQ(f.app->composer.text(), "ready");
  EXPECT_EQ(f.draft(f.conversation), "ready");
  // A press outside the menu closes it without reaching the Send region under it.
  f.event(PointerMoved{10, 10});
  f.event(PointerButton{PointerButtonKind::Primary, ElementState::Pressed});
  EXPECT_FALSE(f.app->context_menu.has_value());
  EXPECT_EQ(f.messages().size(), before);
  // With the menu gone the same press sends.
  f.event(PointerButton{PointerButtonKind::Primary, ElementState::Pressed});
  EXPECT_EQ(f.messages().size(), before + 1);
}

TEST(InputEvents, PressActivatesTheLastRegionUnderThePointer) {
  ComposerFixture f;
  f.open_thread("m_ann1");
  push_hit_region(f.app->hit_regions, {0, 0, 200, 200}, hit::Send{});
  push_hit_region(f.app->hit_regions, {50, 50, 100, 100}, hit::CloseThread{});
  doc::set_draft_text(f.doc, f.thread_key("m_ann1"), "draft");
  refresh_view(*f.app, f.doc);
  const std::size_t before = f.messages().size();

  click(f, 60, 60);  // the later region wins
  EXPECT_EQ(f.app->open_thread, std::nullopt);
  EXPECT_EQ(f.app->composer_focus, ComposerFocus::Main);
  EXPECT_EQ(f.messages().size(), before);

  click(f, 100, 100);                      // right and bottom edges are outside: Send underneath
  EXPECT_EQ(f.messages().size(), before);  // the main composer has no draft
  click(f, 300, 300);                      // nothing there
  EXPECT_EQ(f.messages().size(), before);
}

TEST(InputEvents, EscapeClosesTheThreadOnlyOutsideTheTextBoxes) {
  ComposerFixture f;
  f.open_thread("m_ann1");
  sync_input_states(*f.app);
  EXPECT_TRUE(f.app->thread_composer.focused());
  begin_message_edit(*f.app, "m_mine1");
  f.key(NamedKey::Escape);  // leaves the edit first
  EXPECT_EQ(f.app->editing_message, std::nullopt);
  EXPECT_EQ(f.app->open_thread, "m_ann1");
  f.key(NamedKey::Escape);
  EXPECT_EQ(f.app->open_thread, std::nullopt);
  EXPECT_TRUE(f.app->composer.focused());
  EXPECT_FALSE(f.app->thread_composer.focused());
}

TEST(InputEvents, ExactlyOneInputHasTheKeyboardByMode) {
  ComposerFixture f;
  auto focused = [&] {
    std::string who;
    if (f.app->composer.focused()) who += "composer ";
    if (f.app->thread_composer.focused()) who += "thread ";
    if (f.app->edit_input.focused()) who += "edit ";
    if (f.app->rename_input.focused()) who += "rename ";
    return who;
  };
  sync_input_states(*f.app);
  EXPECT_EQ(focused(), "composer ");
  f.open_thread("m_ann1");
  sync_input_states(*f.app);
  EXPECT_EQ(focused(), "thread ");
  f.app->editing_message = "m_mine1";
  sync_input_states(*f.app);
  EXPECT_EQ(focused(), "edit ");
  f.app->rename_target = RenameTarget{RenameTarget::Kind::Conversation, f.conversation};
  sync_input_states(*f.app);
  EXPECT_EQ(focused(), "rename ");
}

TEST(InputEvents, TabCyclesTheElementsAndMovesTheComposerFocus) {
  ComposerFixture f;
  f.open_thread("m_ann1");
  f.app->hit_regions.clear();
  push_hit_region(f.app->hit_regions, {0, 0, 10, 10}, hit::Dismiss{});  // not an element
  push_hit_region(f.app->hit_regions, {0, 0, 10, 10}, hit::FocusMain{});
  push_hit_region(f.app->hit_regions, {0, 0, 10, 10}, hit::Send{});
  push_hit_region(f.app->hit_regions, {0, 0, 10, 10}, hit::Send{});  // same id: one element
  push_hit_region(f.app->hit_regions, {0, 0, 10, 10}, hit::FocusThread{});
  ASSERT_EQ(semantic_targets(*f.app).size(), 3u);

  f.key(NamedKey::Tab, {.shift = true});  // from none backwards: the last
  EXPECT_EQ(f.app->access_focus, 2u);
  EXPECT_EQ(f.app->composer_focus, ComposerFocus::Thread);
  EXPECT_TRUE(f.app->thread_composer.focused());
  f.key(NamedKey::Tab);  // wraps to the first
  EXPECT_EQ(f.app->access_focus, 0u);
  EXPECT_EQ(f.app->composer_focus, ComposerFocus::Main);
  EXPECT_TRUE(f.app->composer.focused());
  EXPECT_FALSE(f.app->thread_composer.focused());
  f.key(NamedKey::Tab);
  EXPECT_EQ(f.app->access_focus, 1u);
  EXPECT_FALSE(f.app->composer.focused());
  EXPECT_FALSE(f.app->thread_composer.focused());

  // Enter activates the focused element: Send with the main composer's draft.
  doc::set_draft_text(f.doc, f.conversation, "by keyboard");
  refresh_view(*f.app, f.doc);
  f.key(NamedKey::Enter);
  EXPECT_EQ(f.messages().back().text, "by keyboard");

  f.app->hit_regions.clear();
  f.key(NamedKey::Tab);
  EXPECT_EQ(f.app->access_focus, std::nullopt);
}

TEST(InputEvents, WheelScrollsAndLeavesTheNewestMessage) {
  ComposerFixture f;
  f.event(vesk_ui::WheelEvent{vesk_ui::WheelEvent::Unit::Lines, 0, 3});
  EXPECT_DOUBLE_EQ(f.app->scroll_offset, 132);
  EXPECT_FALSE(f.app->follow_latest);
  f.app->follow_latest = true;
  f.event(vesk_ui::WheelEvent{vesk_ui::WheelEvent::Unit::Lines, 0, -1});
  EXPECT_DOUBLE_EQ(f.app->scroll_offset, 88);
  EXPECT_TRUE(f.app->follow_latest);
}

TEST(InputEvents, RowSwipeResolvesForThePressedRowOnRelease) {
  enum class Outcome { Opens, Nothing, Deletes };
  struct Case {
    double release_x;
    Outcome outcome;
    bool may_write = true;
  };
  const std::vector<Case> cases = {
      {200, Outcome::Opens},        {195.5, Outcome::Opens}, {150, Outcome::Nothing},
      {112.1, Outcome::Nothing},    {112, Outcome::Deletes}, {600, Outcome::Opens},
      {0, Outcome::Nothing, false},  // deleting needs write permission
  };
  for (const Case& c : cases) {
    ComposerFixture f;
    doc::create_channel(f.doc, f.app->view.current_workspace, "", "c_other", "other",
                        doc::ChannelKind::Text);
    refresh_view(*f.app, f.doc);
    if (!c.may_write) f.app->permissions = vesk_ui::PermissionContext::up_to(1);
    push_hit_region(f.app->hit_regions, {0, 100, 300, 130}, hit::Channel{"c_other"});
    push_hit_region(f.app->hit_regions, {400, 0, 800, 800}, hit::Send{});
    f.event(PointerMoved{200, 110});
    f.event(PointerButton{PointerButtonKind::Primary, ElementState::Pressed});
    ASSERT_TRUE(f.app->drag_state.has_value());
    EXPECT_EQ(f.app->view.current_conversation, f.conversation);  // nothing opened yet
    f.event(PointerMoved{c.release_x, 500});  // released elsewhere, even over another region
    f.event(PointerButton{PointerButtonKind::Primary, ElementState::Released});
    EXPECT_FALSE(f.app->drag_state.has_value());
    EXPECT_EQ(f.app->view.current_conversation,
              c.outcome == Outcome::Opens ? "c_other" : f.conversation)
        << "released at " << c.release_x;
    EXPECT_EQ(find_channel(*f.app, "c_other") == nullptr, c.outcome == Outcome::Deletes)
        << "released at " << c.release_x;
  }
}

TEST(InputEvents, SemanticActionsReachElementsByIdOnly) {
  ComposerFixture f;
  push_hit_region(f.app->hit_regions, {0, 0, 10, 10}, hit::FocusMain{});
  push_hit_region(f.app->hit_regions, {0, 0, 10, 10}, hit::JumpToLatest{});
  f.app->scroll_offset = 40;
  f.app->follow_latest = false;

  EXPECT_FALSE(f.app->perform_semantic_action("chat.nothing", {0, {}}, f.doc, f.ctx));
  EXPECT_FALSE(f.app->perform_semantic_action("context-menu:item:0", {0, {}}, f.doc, f.ctx));
  EXPECT_FALSE(f.app->perform_semantic_action("chat.jump-to-latest", {1, {}}, f.doc, f.ctx));
  EXPECT_EQ(f.app->scroll_offset, 40);

  EXPECT_TRUE(f.app->perform_semantic_action("chat.jump-to-latest", {2, {}}, f.doc, f.ctx));
  EXPECT_EQ(f.app->scroll_offset, 0);
  EXPECT_TRUE(f.app->follow_latest);

  // A text edit of the composer becomes its draft.
  EXPECT_TRUE(f.app->perform_semantic_action("chat.composer", {7, "said aloud"}, f.doc, f.ctx));
  EXPECT_EQ(f.draft(f.conversation), "said aloud");
  EXPECT_EQ(f.app->composer.text(), "said aloud");
  EXPECT_FALSE(f.app->perform_semantic_action("chat.composer", {3, {}}, f.doc, f.ctx));
}

}  // namespace
}  // namespace chat::app
