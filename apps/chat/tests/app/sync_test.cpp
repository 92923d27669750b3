#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "app/chat_view.hpp"
#include "app/sync.hpp"
#include "doc/message_writers.hpp"
#include "doc/readers.hpp"
#include "doc/seeds.hpp"
#include "window_test_support.hpp"

namespace chat::app {
namespace {

using testing::interactive_app;

// A copy: the list is usually a temporary read from the document.
std::optional<doc::Person> person_in(const std::vector<doc::Person>& people, std::string_view id) {
  auto it = std::find_if(people.begin(), people.end(), [&](const auto& p) { return p.id == id; });
  if (it == people.end()) return std::nullopt;
  return *it;
}

TEST(Sync, FreshDocumentInAnInteractiveRunIsSeededAndTheFirstConversationChosen) {
  crdt::Document doc;
  auto app = interactive_app();
  sync(*app, doc);

  EXPECT_TRUE(doc::is_seeded(doc));
  const std::optional<doc::Person> me = person_in(doc::list_people(doc), "u_local");
  ASSERT_TRUE(me);
  EXPECT_EQ(me->name, "Lee Local");
  EXPECT_EQ(me->color_idx, 3);

  const std::vector<doc::Workspace> workspaces = doc::list_workspaces(doc);
  ASSERT_FALSE(workspaces.empty());
  EXPECT_EQ(app->view.current_workspace, workspaces.front().id);
  EXPECT_EQ(app->view.selected_workspace, workspaces.front().id);
  // The second refresh of the same sync picked the workspace's first text conversation.
  const std::vector<const doc::Channel*> listed = sorted_channels(*app);
  auto first_text = std::find_if(listed.begin(), listed.end(), [](const doc::Channel* c) {
    return c->kind == doc::ChannelKind::Text;
  });
  ASSERT_NE(first_text, listed.end());
  EXPECT_EQ(app->view.current_conversation, (*first_text)->id);
  EXPECT_TRUE(app->demo_repair_done);
}

TEST(Sync, InteractiveRunWritesTheLocalPersonOnEverySyncOfASeededDocument) {
  crdt::Document doc;
  doc::seed_demo_content(doc);  // seeded by somebody else
  auto app = interactive_app();
  sync(*app, doc);
  ASSERT_TRUE(person_in(doc::list_people(doc), "u_local"));
  // The demo content stays as it was: no first-run workspace on top of it.
  EXPECT_EQ(app->view.current_workspace, doc::list_workspaces(doc).front().id);

  app->local_person.name = "Lee Renamed";
  sync(*app, doc);
  EXPECT_EQ(person_in(doc::list_people(doc), "u_local")->name, "Lee Renamed");
}

TEST(Sync, ScreenshotRunSeedsWithoutWritingTheLocalPerson) {
  struct Case {
    bool seed_starter;
    std::string expected_workspace;
  };
  for (const Case& c : {Case{false, "ws_acme"}, Case{true, "ws_home"}}) {
    SCOPED_TRACE(c.seed_starter);
    crdt::Document doc;
    auto app = chat_app_base();
    app->local_person = {"u_probe", "Probe", "PR", 1};
    app->seed_starter = c.seed_starter;
    sync(*app, doc);
    sync(*app, doc);
    EXPECT_TRUE(doc::is_seeded(doc));
    const std::vector<doc::Workspace> workspaces = doc::list_workspaces(doc);
    EXPECT_TRUE(std::any_of(workspaces.begin(), workspaces.end(),
                            [&](const auto& w) { return w.id == c.expected_workspace; }));
    // The starter workspace names the local person as its first member; the demo cast does
    // not. Either way sync itself never upserts it.
    if (!c.seed_starter) {
      EXPECT_FALSE(person_in(doc::list_people(doc), "u_probe"));
    }
    EXPECT_FALSE(app->live);
  }
}

TEST(Sync, ScreenshotStateKeepsTheSeededSelection) {
  crdt::Document doc;
  auto app = chat_app_base();
  EXPECT_FALSE(app->live);
  EXPECT_EQ(app->local_person.id, "u_me");
  EXPECT_FALSE(app->media_backend->is_networked());
  sync(*app, doc);
  EXPECT_EQ(app->view.current_workspace, "ws_acme");
  EXPECT_EQ(app->view.current_conversation, "c_crit");
  EXPECT_EQ(app->open_thread, "m_concept");
  EXPECT_NE(find_message(*app, "m_concept"), nullptr);
}

TEST(Sync, OpenThreadClosesWhenItsParentIsNotShown) {
  struct Case {
    std::string name;
    std::string thread;
    bool delete_parent;
  };
  const std::vector<Case> cases = {
      {"parent deleted", "m_concept", true},
      {"parent in another conversation", "", false},
      {"unknown parent", "m_nowhere", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    crdt::Document doc;
    auto app = chat_app_base();
    sync(*app, doc);
    std::string thread = c.thread;
    if (thread.empty()) {
      const auto& all = app->view.all_messages;
      auto other =
          std::find_if(all.begin(), all.end(), [](const auto& m) { return m.channel != "c_crit"; });
      ASSERT_NE(other, all.end());
      thread = other->id;
    }
    if (c.delete_parent) doc::delete_message(doc, "c_crit", thread);
    app->open_thread = thread;
    app->composer_focus = ComposerFocus::Thread;
    sync(*app, doc);
    EXPECT_EQ(app->open_thread, std::nullopt);
    EXPECT_EQ(app->composer_focus, ComposerFocus::Main);
  }
}

TEST(Sync, OpenThreadWithItsParentShownStaysAndKeepsTheFocus) {
  crdt::Document doc;
  auto app = chat_app_base();
  app->composer_focus = ComposerFocus::Thread;
  sync(*app, doc);
  EXPECT_EQ(app->open_thread, "m_concept");
  EXPECT_EQ(app->composer_focus, ComposerFocus::Thread);
}

TEST(FrameRequests, RedrawRequestIsTakenOnceAndAnimationFollowsTheFlags) {
  auto app = chat_app_base();
  EXPECT_FALSE(app->take_redraw_request());
  app->redraw_requested = true;
  EXPECT_TRUE(app->take_redraw_request());
  EXPECT_FALSE(app->take_redraw_request());

  EXPECT_FALSE(app->needs_animation_frame());
  app->animation_requested = true;
  EXPECT_TRUE(app->needs_animation_frame());
  app->animation_requested = false;
  app->tooltip.on_pointer("chat.send", std::chrono::steady_clock::now());
  EXPECT_TRUE(app->needs_animation_frame());  // a tooltip is waiting to appear
}

}  // namespace
}  // namespace chat::app
