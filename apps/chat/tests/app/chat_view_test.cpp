#include <gtest/gtest.h>

#include <algorithm>

#include "app/chat_view.hpp"
#include "doc/message_readers.hpp"
#include "doc/message_writers.hpp"
#include "doc/people.hpp"
#include "doc/seeds.hpp"
#include "doc/structure_writers.hpp"
#include "window_test_support.hpp"

namespace chat::app {
namespace {

TEST(RefreshView, EmptyDocumentGivesOnlyTheLocalPerson) {
  crdt::Document doc;
  auto app = chat_app_base();
  refresh_view(*app, doc);
  const ChatView& v = app->view;
  EXPECT_TRUE(v.workspaces.empty());
  EXPECT_TRUE(v.conversations.empty());
  EXPECT_TRUE(v.messages.empty());
  EXPECT_TRUE(v.people.empty());
  EXPECT_EQ(v.current_workspace, "ws_acme");
  EXPECT_EQ(v.selected_workspace, "ws_acme");
  EXPECT_EQ(v.current_conversation, "c_crit");
  ASSERT_EQ(v.workspace_people.size(), 1u);
  EXPECT_EQ(v.workspace_people[0].id, "u_me");
  EXPECT_EQ(v.workspace_people[0].status, doc::PresenceStatus::Online);
  EXPECT_EQ(app->composer.placeholder(), "Message #");
}

TEST(RefreshView, DemoDocumentFillsTheView) {
  crdt::Document doc;
  doc::seed_demo_content(doc);
  auto app = chat_app_base();
  refresh_view(*app, doc);
  const ChatView& v = app->view;
  EXPECT_EQ(v.current_conversation, "c_crit");
  ASSERT_FALSE(v.messages.empty());
  for (const doc::ChatMessage& m : v.messages) EXPECT_EQ(m.channel, "c_crit");
  std::size_t total = 0;
  for (const doc::Channel& c : v.conversations) total += doc::load_messages(doc, c.id).size();
  EXPECT_EQ(v.all_messages.size(), total);
  // People sorted by name, then id; the local person is among them.
  for (std::size_t i = 1; i < v.workspace_people.size(); ++i) {
    const auto& a = v.workspace_people[i - 1];
    const auto& b = v.workspace_people[i];
    EXPECT_TRUE(a.name < b.name || (a.name == b.name && a.id <= b.id));
  }
  EXPECT_NE(find_person(*app, "u_me"), nullptr);
  EXPECT_EQ(app->composer.placeholder(), "Message #design-crit");
  EXPECT_EQ(app->thread_composer.placeholder(), "Reply…");
  EXPECT_EQ(app->composer.local_author(), "u_me");
  // The demo huddle has people in its call.
  EXPECT_FALSE(lookup_keyed_entry(*app, "c_huddle").empty());
  EXPECT_TRUE(lookup_keyed_entry(*app, "c_crit").empty());
  // find_message looks at the current conversation only.
  const auto other = std::find_if(v.all_messages.begin(), v.all_messages.end(),
                                  [](const auto& m) { return m.channel != "c_crit"; });
  ASSERT_NE(other, v.all_messages.end());
  EXPECT_EQ(find_message(*app, other->id), nullptr);
}

// The workspace's people: authors and reacting users of its conversations (two conversations,
// authors in broken runs), the local person, not the people of another workspace's messages
// nor the people mentioned.
TEST(RefreshView, WorkspacePeopleComeFromTheWorkspacesMessagesOnly) {
  crdt::Document doc;
  for (const char* id : {"u_a", "u_b", "u_r", "u_x", "u_m", "u_y"}) {
    doc::put_person(doc, id, std::string("Name ") + id, "NN", 1, doc::PresenceStatus::Online);
  }
  doc::put_channel(doc, "c_one", "ws1", "", "one", "", doc::ChannelKind::Text, 0);
  doc::put_channel(doc, "c_other", "ws2", "", "other", "", doc::ChannelKind::Text, 0);
  doc::put_channel(doc, "c_two", "ws1", "", "two", "", doc::ChannelKind::Text, 1);
  int n = 0;
  auto post = [&](const char* channel, const char* author, std::vector<doc::Reaction> reactions,
                  std::vector<actions::Mention> mentions = {}) {
    doc::NewMessage m;
    m.author = author;
    m.text = "hello @someone";
    m.ts = 1782477600 + n;
    m.reactions = std::move(reactions);
    m.mentions = std::move(mentions);
    doc::insert_message(doc, channel, "m_" + std::to_string(n++), m);
  };
  post("c_one", "u_a", {});
  post("c_one", "u_a", {{"👍", {"u_r"}}});
  post("c_one", "u_b", {}, {actions::Mention{"u_m", 6, 8, false}});
  post("c_one", "u_a", {});
  post("c_other", "u_x", {{"👍", {"u_y"}}});
  post("c_two", "u_b", {});
  auto app = chat_app_base();
  app->view.current_workspace = "ws1";
  app->view.current_conversation = "c_one";
  refresh_view(*app, doc);
  std::vector<std::string> ids;
  for (const doc::Person& p : app->view.workspace_people) ids.push_back(p.id);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::string>{"u_a", "u_b", "u_me", "u_r"}));
}

// The view is rebuilt over the previous one: after messages are removed, edited or gain
// reactions, it holds exactly what the readers give, in every conversation, nothing left over.
TEST(RefreshView, RebuildingAfterChangesLeavesNothingOfTheLastView) {
  crdt::Document doc;
  doc::seed_demo_content(doc);
  auto app = chat_app_base();
  refresh_view(*app, doc);
  const auto expect_fresh = [&](const std::string& when) {
    std::vector<doc::ChatMessage> all;
    for (const doc::Channel& c : app->view.conversations) {
      for (doc::ChatMessage& m : doc::load_messages(doc, c.id)) all.push_back(std::move(m));
    }
    EXPECT_EQ(app->view.all_messages, all) << when;
    EXPECT_EQ(app->view.messages, doc::load_messages(doc, app->view.current_conversation)) << when;
  };
  expect_fresh("first");
  const std::vector<doc::ChatMessage> before = app->view.all_messages;
  ASSERT_GE(before.size(), 3u);
  doc::delete_message(doc, before.front().channel, before.front().id);
  doc::put_message_text(doc, before[1].channel, before[1].id, "changed", 1782477700);
  doc::put_reaction(doc, before[2].channel, before[2].id, "🎉", "u_me");
  refresh_view(*app, doc);
  expect_fresh("after changes");
  EXPECT_EQ(app->view.all_messages.size(), before.size() - 1);
}

TEST(RefreshView, CurrentConversationIsRepairedOnlyWhenItLeftTheWorkspace) {
  struct Case {
    std::string name;
    std::string workspace;
    std::string conversation;
    bool archive_it;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"archived conversation of the workspace stays", "ws_acme", "c_random", true, "c_random"},
      {"unknown id becomes the first text conversation", "ws_acme", "c_gone", false, "c_general"},
      {"conversation of another workspace is replaced", "ws_vesk", "c_crit", false, "c_kernel"},
      {"workspace without text conversations keeps the old one", "ws_empty", "c_crit", false,
       "c_crit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    crdt::Document doc;
    doc::seed_demo_content(doc);
    doc::put_workspace(doc, "ws_empty", "Empty", "EM", 0, 9);
    doc::put_channel(doc, "c_voice_only", "ws_empty", "", "Talk", "", doc::ChannelKind::Voice, 0);
    if (c.archive_it) doc::archive_channel(doc, c.conversation, true);
    auto app = chat_app_base();
    app->view.current_workspace = c.workspace;
    app->view.current_conversation = c.conversation;
    refresh_view(*app, doc);
    EXPECT_EQ(app->view.current_conversation, c.expected);
    if (c.archive_it) {
      const auto listed = sorted_channels(*app);
      EXPECT_TRUE(std::none_of(listed.begin(), listed.end(),
                               [&](const doc::Channel* ch) { return ch->id == c.conversation; }));
    }
  }
}

TEST(RefreshView, UnreadCountsSkipTheCurrentConversation) {
  crdt::Document doc;
  doc::seed_demo_content(doc);
  auto app = chat_app_base();
  refresh_view(*app, doc);
  for (const doc::Channel& c : app->view.conversations) {
    const std::uint32_t expected =
        c.id == "c_crit" ? 0 : doc::unread_count(doc, c.id, app->local_person.id);
    EXPECT_EQ(c.unread, expected) << c.id;
  }
}

TEST(RefreshView, DraftsAndPendingComposerText) {
  crdt::Document doc;
  doc::seed_demo_content(doc);
  doc::set_draft_text(doc, "c_crit", "draft here");
  doc::set_draft_text(doc, thread_draft_key("c_crit", "m_concept"), "thread draft");
  auto app = chat_app_base();
  refresh_view(*app, doc);
  EXPECT_EQ(app->view.composer_draft, "draft here");
  EXPECT_EQ(app->composer.text(), "draft here");
  EXPECT_EQ(app->view.thread_draft, "thread draft");
  EXPECT_EQ(app->thread_composer.text(), "thread draft");

  app->open_thread.reset();
  app->pending_composer_text = "from a scene";
  refresh_view(*app, doc);
  EXPECT_EQ(app->view.thread_draft, "");
  EXPECT_EQ(app->composer.text(), "from a scene");
  EXPECT_EQ(app->composer.cursor(), std::string("from a scene").size());
  EXPECT_EQ(app->view.composer_draft, "from a scene");
  EXPECT_EQ(app->pending_composer_text, std::nullopt);
}

TEST(ViewLookups, AuthorLabels) {
  auto app = chat_app_base();
  app->self_aliases = {"u_old"};
  app->view.workspace_people = {{"u_named", "Nia Named", "NN", 1, false, {}},
                                {"u_blank", "   ", "", 1, false, {}}};
  app->presence_names["u_present"] = "Pat Present";
  struct Case {
    std::string id;
    std::string label;
  };
  const std::vector<Case> cases = {
      {"u_me", "You"},
      {"u_old", "You"},
      {"u_named", "Nia Named"},
      {"u_present", "Pat Present"},
      {"u_blank", "Someone (lank)"},
      {"peer:abcdefgh", "Someone (efgh)"},
      {"x@host.example", "Someone (mple)"},
      {"ab", "Someone (ab)"},
      {"ends:", "Someone (ends:)"},
      {"a:é€😀x", "Someone (é€😀x)"},
      {"a:b€😀", "Someone (b€😀)"},
  };
  for (const Case& c : cases) EXPECT_EQ(author_label(*app, c.id), c.label) << c.id;
  EXPECT_EQ(person_display_name(*app, "u_me"), "You");
  EXPECT_EQ(person_display_name(*app, "u_unknown"), "u_unknown");
}

TEST(ViewLookups, ReactionToggleFollowsTheLocalUsersCurrentId) {
  auto app = chat_app_base();
  app->view.current_conversation = "c_x";
  doc::ChatMessage m = testing::message("m_1", "u_a", 0);
  m.reactions = {{"👍", {"u_a", "u_me"}}, {"🎉", {"u_old"}}};
  app->view.messages = {m};
  app->self_aliases = {"u_old"};
  using A = actions::ChatAction;
  EXPECT_EQ(toggle_reaction_action(*app, "m_1", "👍"),
            (A{A::RemoveReaction{"c_x", "m_1", "👍", "u_me"}}));
  EXPECT_EQ(toggle_reaction_action(*app, "m_1", "🎉"),
            (A{A::AddReaction{"c_x", "m_1", "🎉", "u_me"}}));
  EXPECT_EQ(toggle_reaction_action(*app, "m_1", "❤"),
            (A{A::AddReaction{"c_x", "m_1", "❤", "u_me"}}));
  EXPECT_EQ(toggle_reaction_action(*app, "m_other", "👍"),
            (A{A::AddReaction{"c_x", "m_other", "👍", "u_me"}}));
}

TEST(ViewLookups, PresenceRenamesTheLocalUserAndTracksPresentPeople) {
  auto app = chat_app_base();
  vesk_ui::PresenceCtx presence;
  presence.self_id = "peer-self";
  presence.self_display_name = "Sam Self";
  presence.present_users = {{"u_a", "  Ann  ", vesk_ui::Color{1, 0, 0, 1}},
                            {"u_b", "   ", std::nullopt}};
  apply_presence(*app, presence);
  EXPECT_EQ(app->local_person.name, "Sam Self");
  EXPECT_EQ(app->local_person.initials, initials_of("Sam Self"));
  EXPECT_EQ(app->local_person.color_idx, color_index(std::string_view("peer-self")));
  EXPECT_EQ(app->self_aliases, std::vector<std::string>{"peer-self"});
  EXPECT_EQ(app->presence_names.at("u_a"), "Ann");
  EXPECT_EQ(app->presence_colors.at("u_a"), (vesk_ui::Color{1, 0, 0, 1}));
  EXPECT_FALSE(app->presence_names.contains("u_b"));
  EXPECT_TRUE(is_local_user(*app, "peer-self"));

  // Again: no second alias. Ann leaves; a blank name from presence keeps the local name.
  presence.present_users = {{"u_b", "Bo", std::nullopt}};
  presence.self_display_name = "  ";
  apply_presence(*app, presence);
  EXPECT_EQ(app->self_aliases.size(), 1u);
  EXPECT_EQ(app->local_person.name, "Sam Self");
  EXPECT_FALSE(app->presence_names.contains("u_a"));
  EXPECT_FALSE(app->presence_colors.contains("u_a"));
  EXPECT_EQ(app->presence_names.at("u_b"), "Bo");
  EXPECT_EQ(app->presence_colors.at("u_b"), presence.color_for("u_b"));
}

}  // namespace
}  // namespace chat::app
