#include "app/composer_commands.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/draft_keys.hpp"
#include "composer_test_support.hpp"
#include "doc/message_readers.hpp"

namespace chat::app {
namespace {

using testing::ComposerFixture;
using vesk_ui::NamedKey;

TEST(ComposerCommands, TypingKeepsTheDraftAndEnterSendsItAsTyped) {
  ComposerFixture f;
  f.app->scroll_offset = 250;
  f.app->follow_latest = false;
  f.type("  hi @ann lee ");
  EXPECT_EQ(f.draft(f.conversation), "  hi @ann lee ");
  EXPECT_EQ(f.app->view.composer_draft, "  hi @ann lee ");
  const std::size_t before = f.messages().size();

  f.key(NamedKey::Enter);
  const std::vector<doc::ChatMessage> after = f.messages();
  ASSERT_EQ(after.size(), before + 1);
  const doc::ChatMessage& sent = after.back();
  EXPECT_EQ(sent.text, "  hi @ann lee ");  // blanks kept
  EXPECT_EQ(sent.author, "u_local");
  EXPECT_EQ(sent.parent, std::nullopt);
  EXPECT_EQ(sent.id.size(), 34u);
  EXPECT_EQ(sent.id.rfind("m_", 0), 0u);
  EXPECT_GT(sent.ts, 1700000000);
  ASSERT_EQ(sent.mentions.size(), 1u);
  EXPECT_EQ(sent.mentions[0], (doc::Mention{"u_ann", 5, 8, false}));
  // The draft is emptied, the composer follows, and the list jumps to the new message.
  EXPECT_EQ(f.draft(f.conversation), "");
  EXPECT_EQ(f.app->composer.text(), "");
  EXPECT_EQ(f.app->scroll_offset, 0);
  EXPECT_TRUE(f.app->follow_latest);
  // The send went through the window's action host.
  EXPECT_TRUE(f.app->actions.last_action().has_value());
}

TEST(ComposerCommands, SendIsRefusedWithoutPermissionOrText) {
  struct Case {
    const char* what;
    std::string draft;
    bool may_write;
  };
  const std::vector<Case> cases = {
      {"blank draft", " \n\t \u3000", true},
      {"empty draft", "", true},
      {"view-only user", "hello", false},
  };
  for (const Case& c : cases) {
    ComposerFixture f;
    doc::set_draft_text(f.doc, f.conversation, c.draft);
    refresh_view(*f.app, f.doc);
    if (!c.may_write) f.app->permissions = vesk_ui::PermissionContext::up_to(1);
    f.app->scroll_offset = 80;
    const std::size_t before = f.messages().size();
    send_composer_message(*f.app, f.doc);
    EXPECT_EQ(f.messages().size(), before) << c.what;
    EXPECT_EQ(f.draft(f.conversation), c.draft) << c.what;  // the draft stays
    EXPECT_EQ(f.app->scroll_offset, 80) << c.what;
  }
}

TEST(ComposerCommands, ViewOnlyUserCannotTypeIntoTheComposer) {
  ComposerFixture f;
  f.app->permissions = vesk_ui::PermissionContext::up_to(1);
  f.type("x");
  f.key(NamedKey::Enter);
  EXPECT_EQ(f.app->composer.text(), "");
  EXPECT_EQ(f.draft(f.conversation), "");
}

TEST(ComposerCommands, ThreadComposerRepliesToTheOpenThread) {
  ComposerFixture f;
  doc::set_draft_text(f.doc, f.conversation, "main draft");
  f.open_thread("m_ann1");
  f.app->scroll_offset = 120;
  f.app->follow_latest = false;
  f.type("thread reply");
  EXPECT_EQ(f.draft(f.thread_key("m_ann1")), "thread reply");
  EXPECT_EQ(f.app->view.thread_draft, "thread reply");
  EXPECT_EQ(f.draft(f.conversation), "main draft");

  f.key(NamedKey::Enter);
  const doc::ChatMessage sent = f.messages().back();
  EXPECT_EQ(sent.text, "thread reply");
  EXPECT_EQ(sent.channel, f.conversation);
  EXPECT_EQ(sent.parent, "m_ann1");
  EXPECT_EQ(f.draft(f.thread_key("m_ann1")), "");
  EXPECT_EQ(f.draft(f.conversation), "main draft");
  // The main list stays where the user left it.
  EXPECT_EQ(f.app->scroll_offset, 120);
  EXPECT_FALSE(f.app->follow_latest);
}

TEST(ComposerCommands, DraftKeyFollowsTheComposerInUse) {
  ComposerFixture f;
  EXPECT_EQ(composer_draft_key(*f.app), f.conversation);
  EXPECT_EQ(thread_draft_key(*f.app), std::nullopt);
  f.app->composer_focus = ComposerFocus::Thread;  // but no thread open
  EXPECT_EQ(composer_draft_key(*f.app), f.conversation);
  EXPECT_EQ(&composer_in_use(*f.app), &f.app->composer);
  f.app->open_thread = "m_ann1";
  EXPECT_EQ(composer_draft_key(*f.app), f.conversation + "::t::m_ann1");
  EXPECT_EQ(&composer_in_use(*f.app), &f.app->thread_composer);
  f.app->composer_focus = ComposerFocus::Main;
  EXPECT_EQ(composer_draft_key(*f.app), f.conversation);
  EXPECT_EQ(thread_draft_key(*f.app), f.conversation + "::t::m_ann1");
}

TEST(ComposerCommands, UpArrowInAnEmptyComposerEditsTheLastOwnMessage) {
  struct Case {
    const char* what;
    std::optional<std::string> thread;
    std::string composer_text;
    vesk_ui::Modifiers mods;
    std::optional<std::string> editing;
  };
  const std::vector<Case> cases = {
      {"main composer: last own top-level message", std::nullopt, "", {}, "m_mine1"},
      {"thread composer: last own reply", "m_ann1", "", {}, "m_reply_mine"},
      {"with Shift it is never the shortcut", std::nullopt, "", {.shift = true}, std::nullopt},
      {"a composer with text moves its caret", std::nullopt, "abc", {}, std::nullopt},
      {"no own message in the thread", "m_ann2", "", {}, std::nullopt},
  };
  for (const Case& c : cases) {
    ComposerFixture f;
    if (c.thread) f.open_thread(*c.thread);
    if (!c.composer_text.empty()) f.type(c.composer_text);
    f.key(NamedKey::ArrowUp, c.mods);
    EXPECT_EQ(f.app->editing_message, c.editing) << c.what;
    if (c.editing) {
      EXPECT_EQ(f.app->edit_input.text(), f.stored(*c.editing)->text) << c.what;
      EXPECT_EQ(f.app->edit_input.cursor(), f.app->edit_input.text().size()) << c.what;
      EXPECT_TRUE(f.app->edit_input.focused()) << c.what;
      EXPECT_FALSE(f.app->composer.focused()) << c.what;
      EXPECT_EQ(f.app->composer_focus, ComposerFocus::Main) << c.what;
    }
  }
}

TEST(ComposerCommands, EmojiGoesToTheEditBoxWhileEditingElseIntoTheDraft) {
  ComposerFixture f;
  f.type("hi ");
  insert_composer_emoji(*f.app, f.doc, "🙂");
  EXPECT_EQ(f.draft(f.conversation), "hi 🙂");

  f.open_thread("m_ann1");
  insert_composer_emoji(*f.app, f.doc, "👍");
  EXPECT_EQ(f.draft(f.thread_key("m_ann1")), "👍");

  f.app->composer_focus = ComposerFocus::Main;
  f.app->open_thread.reset();
  f.app->editing_message = "m_mine1";
  f.app->edit_input.set_text("my first");
  insert_composer_emoji(*f.app, f.doc, "🎉");
  EXPECT_EQ(f.app->edit_input.text(), "my first🎉");
  EXPECT_EQ(f.draft(f.conversation), "hi 🙂");
}

TEST(ComposerCommands, MarkReadOnlyWhileFollowingTheNewestMessage) {
  ComposerFixture f;
  const std::string me = f.app->local_person.id;
  // Marking read runs on every sync; start from a conversation with unread messages.
  doc::NewMessage m;
  m.author = "u_ann";
  m.text = "another";
  doc::insert_message(f.doc, f.conversation, "m_ann3", m);
  const auto total = static_cast<std::int64_t>(doc::top_level_message_count(f.doc, f.conversation));

  f.app->follow_latest = false;
  mark_current_channel_read(*f.app, f.doc);
  EXPECT_LT(doc::read_count(f.doc, f.conversation, me), total);

  f.app->follow_latest = true;
  mark_current_channel_read(*f.app, f.doc);
  EXPECT_EQ(doc::read_count(f.doc, f.conversation, me), total);

  // Nothing new: no further action.
  const auto last = f.app->actions.last_action();
  mark_current_channel_read(*f.app, f.doc);
  EXPECT_EQ(f.app->actions.last_action(), last);
}

TEST(ComposerCommands, MarkReadCountsTheFreshViewLikeTheDocument) {
  // The conversation holds replies; a new reply and a new top-level message arrive. Either
  // count gives the document's number of top-level messages, replies left out.
  for (MessageCount count : {MessageCount::FromDocument, MessageCount::FromFreshView}) {
    ComposerFixture f;
    f.add_message("m_late_reply", "u_ann", "in a thread", "m_ann2");
    f.add_message("m_late", "u_ann", "new");
    refresh_view(*f.app, f.doc);
    f.app->follow_latest = true;
    mark_current_channel_read(*f.app, f.doc, count);
    EXPECT_EQ(doc::read_count(f.doc, f.conversation, f.app->local_person.id),
              static_cast<std::int64_t>(doc::top_level_message_count(f.doc, f.conversation)));
    EXPECT_LT(doc::top_level_message_count(f.doc, f.conversation), f.app->view.messages.size());
  }
}

TEST(ComposerCommands, ClockBeforeTheEpochGivesTheFixedInstant) {
  using namespace std::chrono;
  EXPECT_EQ(now_secs(system_clock::time_point(seconds(-5))), 1782477600);
  EXPECT_EQ(now_secs(system_clock::time_point(seconds(0))), 0);
  EXPECT_EQ(now_secs(system_clock::time_point(milliseconds(1500))), 1);
}

}  // namespace
}  // namespace chat::app
