#include "app/sync.hpp"

#include <algorithm>

#include "app/chat_view.hpp"
#include "app/composer_commands.hpp"
#include "doc/people.hpp"
#include "doc/repair.hpp"
#include "doc/seeds.hpp"

namespace chat::app {
namespace {

void seed_and_put_local_person(ChatApp& app, crdt::Document& doc) {
  const LocalPerson& me = app.local_person;
  if (app.live) {
    if (!doc::is_seeded(doc)) doc::seed_default_workspace(doc, me.id, me.name, me.initials);
    doc::put_person(doc, me.id, me.name, me.initials, static_cast<std::int64_t>(me.color_idx),
                    doc::PresenceStatus::Online);
  } else if (app.seed_starter) {
    doc::seed_default_workspace(doc, me.id, me.name, me.initials);
  } else {
    doc::seed_demo_content(doc);
  }
}

// True when the current workspace had to be replaced.
bool fall_back_to_first_workspace(ChatApp& app) {
  ChatView& view = app.view;
  if (view.workspaces.empty()) return false;
  const bool known =
      std::any_of(view.workspaces.begin(), view.workspaces.end(),
                  [&](const doc::Workspace& w) { return w.id == view.current_workspace; });
  if (known) return false;
  view.current_workspace = view.workspaces.front().id;
  view.selected_workspace = view.current_workspace;
  view.current_conversation.clear();
  return true;
}

void close_vanished_thread(ChatApp& app) {
  if (!app.open_thread || find_message(app, *app.open_thread)) return;
  app.open_thread.reset();
  if (app.composer_focus == ComposerFocus::Thread) app.composer_focus = ComposerFocus::Main;
}

}  // namespace

void sync(ChatApp& app, crdt::Document& doc) {
  seed_and_put_local_person(app, doc);
  if (!app.demo_repair_done) {
    doc::migrate_demo_attachment_paths(doc);
    app.demo_repair_done = true;
  }
  refresh_view(app, doc);
  const bool workspace_changed = fall_back_to_first_workspace(app);
  close_vanished_thread(app);
  if (workspace_changed) refresh_view(app, doc);
  mark_current_channel_read(app, doc, MessageCount::FromFreshView);
}

void ChatApp::sync(crdt::Document& doc) {
  app::sync(*this, doc);
}

bool ChatApp::needs_animation_frame() const {
  // A picture still loading needs one more frame to appear once it is decoded.
  return animation_requested || tooltip.has_pending() || !images.is_idle();
}

}  // namespace chat::app
