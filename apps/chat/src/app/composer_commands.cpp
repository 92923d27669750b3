#include "app/composer_commands.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <variant>

#include "actions/chat_action.hpp"
#include "actions/dispatch.hpp"
#include "actions/mention_parser.hpp"
#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/draft_keys.hpp"
#include "app/edit_commands.hpp"
#include "app/input_events.hpp"
#include "app/white_space.hpp"
#include "doc/message_readers.hpp"
#include "doc/message_writers.hpp"
#include "doc/people.hpp"

namespace chat::app {
namespace {

constexpr std::int64_t kClockBeforeEpochSecs = 1782477600;

// The local user's last message in the composer's own list: replies of the open thread for
// the thread composer, top-level messages for the main one.
std::optional<std::string> last_own_message(const ChatApp& app, bool in_thread) {
  const auto& messages = app.view.messages;
  for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
    if (it->author != app.local_person.id) continue;
    if (in_thread ? it->parent == app.open_thread : !it->parent.has_value()) return it->id;
  }
  return std::nullopt;
}

bool is_plain_up_arrow(const vesk_ui::InputEvent& event, vesk_ui::Modifiers modifiers) {
  const auto* key = std::get_if<vesk_ui::KeyEvent>(&event);
  if (key == nullptr || modifiers.shift || key->state != vesk_ui::ElementState::Pressed) {
    return false;
  }
  const auto* named = std::get_if<vesk_ui::NamedKey>(&key->key);
  return named != nullptr && *named == vesk_ui::NamedKey::ArrowUp;
}

}  // namespace

bool can_write(const vesk_ui::PermissionContext& permissions) {
  return permissions.check({.kind = 0, .access_level = 2});
}

std::int64_t now_secs(std::chrono::system_clock::time_point now) {
  const auto since_epoch = now.time_since_epoch();
  if (since_epoch.count() < 0) return kClockBeforeEpochSecs;
  return std::chrono::duration_cast<std::chrono::seconds>(since_epoch).count();
}

std::int64_t now_secs() {
  return now_secs(std::chrono::system_clock::now());
}

std::vector<actions::MentionCandidate> mention_candidates(const ChatApp& app) {
  return actions::mention_candidates_from(
      app.view.workspace_people, app.presence_names,
      [&](std::string_view id) { return person_display_name(app, id); });
}

bool route_text_input_event(vesk_ui::TextInput& input, const vesk_ui::InputEvent& event,
                            vesk_ui::Modifiers modifiers, double scale_factor,
                            vesk_ui::ToolkitCtx& ctx) {
  return input.handle_event(event, modifiers, scale_factor, ctx);
}

void handle_composer_event(ChatApp& app, const vesk_ui::InputEvent& event,
                           vesk_ui::Modifiers modifiers, crdt::Document& doc, double scale_factor,
                           vesk_ui::ToolkitCtx& ctx) {
  vesk_ui::TextInput& input = composer_in_use(app);
  if (is_plain_up_arrow(event, modifiers) && input.text().empty()) {
    if (auto id = last_own_message(app, thread_composer_in_use(app))) {
      begin_message_edit(app, *id);
      refresh_view(app, doc);
    }
    return;
  }
  route_text_input_event(input, event, modifiers, scale_factor, ctx);
  if (input.take_submit()) {
    send_composer_message(app, doc);
    return;
  }
  if (std::optional<std::string> text = input.take_dirty()) {
    doc::set_draft_text(doc, composer_draft_key(app), *text);
    refresh_view(app, doc);
  }
}

void send_composer_message(ChatApp& app, crdt::Document& doc) {
  if (!can_write(app.permissions)) return;
  const bool in_thread = thread_composer_in_use(app);
  const std::string key = composer_draft_key(app);
  std::optional<std::string> parent;
  if (in_thread) parent = app.open_thread;

  const std::string text = doc::draft_text(doc, key);
  if (is_blank(text)) return;

  actions::chat_action::SendMessage send;
  send.channel = app.view.current_conversation;
  send.id = doc::new_message_id();
  send.author = app.local_person.id;
  send.ts = now_secs();
  send.text = text;
  send.parent = std::move(parent);
  send.mentions = actions::extract_mentions(text, mention_candidates(app));
  actions::dispatch_chat_action(app, doc, actions::ChatAction{std::move(send)});

  doc::clear_draft(doc, key);
  if (!in_thread) {
    app.scroll_offset = 0;
    app.follow_latest = true;
  }
  refresh_view(app, doc);
}

void insert_composer_emoji(ChatApp& app, crdt::Document& doc, std::string_view emoji) {
  if (!can_write(app.permissions)) return;
  if (app.editing_message) {
    app.edit_input.insert_text(emoji);
    (void)app.edit_input.take_dirty();
    return;
  }
  vesk_ui::TextInput& input = composer_in_use(app);
  input.insert_text(emoji);
  if (std::optional<std::string> text = input.take_dirty()) {
    doc::set_draft_text(doc, composer_draft_key(app), *text);
  }
  refresh_view(app, doc);
}

void mark_current_channel_read(ChatApp& app, crdt::Document& doc, MessageCount count) {
  const std::string& channel = app.view.current_conversation;
  if (channel.empty() || !app.follow_latest) return;
  const auto top_level = [&]() -> std::size_t {
    if (count == MessageCount::FromDocument) return doc::top_level_message_count(doc, channel);
    const auto& messages = app.view.messages;
    return static_cast<std::size_t>(std::count_if(
        messages.begin(), messages.end(), [](const doc::ChatMessage& m) { return !m.parent; }));
  };
  const auto total = static_cast<std::int64_t>(top_level());
  const std::int64_t read = doc::read_count(doc, channel, app.local_person.id);
  if (total <= read) return;
  actions::dispatch_chat_action(
      app, doc,
      actions::ChatAction{actions::chat_action::MarkRead{channel, app.local_person.id, total}});
  for (auto& conversation : app.view.conversations) {
    if (conversation.id == channel) conversation.unread = 0;
  }
}

}  // namespace chat::app
