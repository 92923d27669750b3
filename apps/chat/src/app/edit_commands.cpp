#include "app/edit_commands.hpp"

#include <string>
#include <utility>

#include "actions/chat_action.hpp"
#include "actions/dispatch.hpp"
#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/composer_commands.hpp"
#include "app/draft_keys.hpp"
#include "app/input_events.hpp"
#include "app/white_space.hpp"

namespace chat::app {
namespace {

std::string current_name(const ChatApp& app, const RenameTarget& target) {
  if (target.kind == RenameTarget::Kind::Conversation) {
    if (const auto* channel = find_channel(app, target.id)) return channel->name;
  } else if (target.kind == RenameTarget::Kind::Category) {
    if (const auto* category = find_category(app, target.id)) return category->name;
  }
  return {};
}

void set_text_caret_at_end(vesk_ui::TextInput& input, std::string_view text) {
  input.set_text_with_cursor(text, text.size());
}

}  // namespace

void begin_message_edit(ChatApp& app, std::string_view message_id) {
  if (!can_write(app.permissions)) return;
  const auto* message = find_message(app, message_id);
  if (message == nullptr || message->author != app.local_person.id) return;
  set_text_caret_at_end(app.edit_input, message->text);
  app.editing_message = std::string(message_id);
  app.composer_focus = ComposerFocus::Main;
  app.context_menu.reset();
  sync_input_states(app);
}

void cancel_message_edit(ChatApp& app) {
  app.editing_message.reset();
  app.edit_input.set_text("");
  sync_input_states(app);
}

void commit_message_edit(ChatApp& app, crdt::Document& doc) {
  if (!can_write(app.permissions)) return;
  std::optional<std::string> id = std::exchange(app.editing_message, std::nullopt);
  if (!id) return;
  const std::string text = app.edit_input.text();
  app.edit_input.set_text("");
  sync_input_states(app);
  if (is_blank(text)) return;
  actions::dispatch_chat_action(app, doc,
                                actions::ChatAction{actions::chat_action::EditMessage{
                                    app.view.current_conversation, *id, text, now_secs()}});
  refresh_view(app, doc);
}

void handle_edit_box_event(ChatApp& app, const vesk_ui::InputEvent& event,
                           vesk_ui::Modifiers modifiers, crdt::Document& doc, double scale_factor,
                           vesk_ui::ToolkitCtx& ctx) {
  route_text_input_event(app.edit_input, event, modifiers, scale_factor, ctx);
  if (app.edit_input.take_submit()) {
    commit_message_edit(app, doc);
    return;
  }
  (void)app.edit_input.take_dirty();
}

void begin_rename(ChatApp& app, const RenameTarget& target) {
  set_text_caret_at_end(app.rename_input, current_name(app, target));
  app.rename_target = target;
  sync_input_states(app);
}

void handle_rename_box_event(ChatApp& app, const vesk_ui::InputEvent& event,
                             vesk_ui::Modifiers modifiers, crdt::Document& doc, double scale_factor,
                             vesk_ui::ToolkitCtx& ctx) {
  route_text_input_event(app.rename_input, event, modifiers, scale_factor, ctx);
  if (!app.rename_input.take_submit()) {
    (void)app.rename_input.take_dirty();
    return;
  }
  std::optional<RenameTarget> target = std::exchange(app.rename_target, std::nullopt);
  if (!target) return;
  const std::string name(trim_white_space(app.rename_input.text()));
  if (!name.empty()) {
    if (target->kind == RenameTarget::Kind::Conversation) {
      actions::dispatch_chat_action(
          app, doc, actions::ChatAction{actions::chat_action::RenameChannel{target->id, name}});
    } else if (target->kind == RenameTarget::Kind::Category) {
      actions::dispatch_chat_action(
          app, doc, actions::ChatAction{actions::chat_action::RenameCategory{target->id, name}});
    }
  }
  app.rename_input.set_text("");
  sync_input_states(app);
  refresh_view(app, doc);
}

}  // namespace chat::app
