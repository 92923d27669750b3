#include "app/activate_target.hpp"

#include <type_traits>
#include <utility>
#include <variant>

#include "actions/dispatch.hpp"
#include "app/channel_commands.hpp"
#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/composer_commands.hpp"
#include "app/edit_commands.hpp"
#include "app/input_events.hpp"
#include "app/window_layout.hpp"

namespace chat::app {
namespace {

void show_conversation(ChatApp& app, const hit::Channel& target, crdt::Document& doc) {
  if (const doc::Channel* channel = find_channel(app, target.id)) {
    // Joining a voice conversation belongs to the call code.
    if (channel->kind == doc::ChannelKind::Voice) return;
    app.view.current_workspace = channel->workspace;
  }
  app.view.current_conversation = target.id;
  app.open_thread.reset();
  app.scroll_offset = 0;
  app.composer_focus = ComposerFocus::Main;
  app.follow_latest = true;
  if (app.compact_nav) app.nav_anim.user_override = false;
  refresh_view(app, doc);
  mark_current_channel_read(app, doc, MessageCount::FromFreshView);
}

namespace A = actions::chat_action;

template <typename Variant>
void dispatch(ChatApp& app, crdt::Document& doc, Variant change) {
  actions::dispatch_chat_action(app, doc, actions::ChatAction{std::move(change)});
}

void toggle_category(ChatApp& app, const hit::CategoryToggle& target, crdt::Document& doc) {
  if (!can_write(app.permissions)) return;
  const doc::Category* category = find_category(app, target.id);
  dispatch(app, doc,
           A::SetCategoryCollapsed{target.id, category == nullptr || !category->collapsed});
}

// A new conversation or category starts in the rename box under its first name.
void add_channel(ChatApp& app, const hit::AddChannel& target, crdt::Document& doc) {
  if (!can_write(app.permissions)) return;
  const std::string id = new_channel_id();
  dispatch(app, doc,
           A::CreateChannel{target.workspace, target.category, id, "new-channel",
                            doc::ChannelKind::Text});
  refresh_view(app, doc);
  begin_rename(app, {RenameTarget::Kind::Conversation, id});
}

void add_category(ChatApp& app, const hit::AddCategory& target, crdt::Document& doc) {
  if (!can_write(app.permissions)) return;
  const std::string id = new_category_id();
  dispatch(app, doc, A::CreateCategory{target.id, id, "New Category"});
  refresh_view(app, doc);
  begin_rename(app, {RenameTarget::Kind::Category, id});
}

void toggle_thread(ChatApp& app, const hit::OpenThread& target) {
  if (app.open_thread == target.id) {
    app.open_thread.reset();
    app.composer_focus = ComposerFocus::Main;
    return;
  }
  app.open_thread = target.id;
  app.composer_focus = ComposerFocus::Thread;
  app.details_anim.user_override = true;
}

// The opposite of where the pane is heading now.
void toggle_pane(PaneAnimation& anim, bool compact) {
  const bool target = anim.user_override ? *anim.user_override : (compact ? false : anim.shown);
  anim.user_override = !target;
}

void dismiss(ChatApp& app) {
  if (app.compact_nav && app.nav_anim.user_override == true) {
    app.nav_anim.user_override = false;
  } else if (app.compact_details && app.details_anim.user_override == true) {
    app.details_anim.user_override = false;
  }
}

}  // namespace

void activate_target(ChatApp& app, const HitTarget& target, crdt::Document& doc) {
  app.revealed_message.reset();
  app.reveal_pending = false;
  app.context_menu.reset();

  std::visit(
      [&](const auto& t) {
        using T = std::decay_t<decltype(t)>;
        if constexpr (std::is_same_v<T, hit::Inbox>) {
          app.inbox_view = true;
          app.open_thread.reset();
          app.composer_focus = ComposerFocus::Main;
        } else if constexpr (std::is_same_v<T, hit::CurrentContext>) {
          app.inbox_view = false;
          if (app.view.current_workspace != app.view.selected_workspace) {
            app.view.current_workspace = app.view.selected_workspace;
            app.open_thread.reset();
            app.scroll_offset = 0;
            app.composer_focus = ComposerFocus::Main;
            app.follow_latest = true;
            app.view.current_conversation.clear();
          }
        } else if constexpr (std::is_same_v<T, hit::Channel>) {
          show_conversation(app, t, doc);
        } else if constexpr (std::is_same_v<T, hit::CategoryToggle>) {
          toggle_category(app, t, doc);
        } else if constexpr (std::is_same_v<T, hit::AddChannel>) {
          add_channel(app, t, doc);
        } else if constexpr (std::is_same_v<T, hit::AddCategory>) {
          add_category(app, t, doc);
        } else if constexpr (std::is_same_v<T, hit::FocusRename> ||
                             std::is_same_v<T, hit::FocusEdit>) {
          sync_input_states(app);
        } else if constexpr (std::is_same_v<T, hit::Reaction>) {
          if (can_write(app.permissions)) {
            actions::dispatch_chat_action(app, doc, toggle_reaction_action(app, t.msg, t.emoji));
          }
        } else if constexpr (std::is_same_v<T, hit::OpenThread>) {
          toggle_thread(app, t);
        } else if constexpr (std::is_same_v<T, hit::EditSave>) {
          commit_message_edit(app, doc);
        } else if constexpr (std::is_same_v<T, hit::EditCancel>) {
          cancel_message_edit(app);
        } else if constexpr (std::is_same_v<T, hit::FocusMain>) {
          app.composer_focus = ComposerFocus::Main;
          sync_input_states(app);
        } else if constexpr (std::is_same_v<T, hit::FocusThread>) {
          app.composer_focus = ComposerFocus::Thread;
          sync_input_states(app);
        } else if constexpr (std::is_same_v<T, hit::Send>) {
          send_composer_message(app, doc);
        } else if constexpr (std::is_same_v<T, hit::JumpToLatest>) {
          app.scroll_offset = 0;
          app.follow_latest = true;
        } else if constexpr (std::is_same_v<T, hit::CloseThread>) {
          app.open_thread.reset();
          app.composer_focus = ComposerFocus::Main;
        } else if constexpr (std::is_same_v<T, hit::ToggleLeftFlap>) {
          toggle_pane(app.nav_anim, app.compact_nav);
        } else if constexpr (std::is_same_v<T, hit::ToggleRightFlap>) {
          toggle_pane(app.details_anim, app.compact_details);
        } else if constexpr (std::is_same_v<T, hit::Dismiss>) {
          dismiss(app);
        }
      },
      target);
  refresh_view(app, doc);
}

}  // namespace chat::app
