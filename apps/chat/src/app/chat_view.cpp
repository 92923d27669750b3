#include "app/chat_view.hpp"

#include <algorithm>
#include <set>
#include <utility>

#include "app/input_events.hpp"
#include "doc/message_readers.hpp"
#include "doc/people.hpp"
#include "doc/readers.hpp"

namespace chat::app {
namespace {

constexpr std::string_view kBlank = " \t\n\r\f\v";

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

bool blank(std::string_view text) {
  return trim(text).empty();
}

// The last `count` UTF-8 characters of the text (all of it when shorter).
std::string_view last_chars(std::string_view text, std::size_t count) {
  std::size_t at = text.size();
  while (count > 0 && at > 0) {
    --at;
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
    --count;
  }
  return text.substr(at);
}

void choose_current_conversation(ChatApp& app) {
  ChatView& view = app.view;
  const doc::Channel* current = find_channel(app, view.current_conversation);
  if (current && current->workspace == view.current_workspace) return;
  for (const doc::Channel* c : sorted_channels(app)) {
    if (c->kind == doc::ChannelKind::Text) {
      view.current_conversation = c->id;
      return;
    }
  }
}

void repair_selected_workspace(ChatView& view) {
  const auto named = [&](const std::string& id) {
    return std::find_if(view.workspaces.begin(), view.workspaces.end(),
                        [&](const doc::Workspace& w) { return w.id == id; });
  };
  if (view.workspaces.empty() || named(view.selected_workspace) != view.workspaces.end()) return;
  auto current = named(view.current_workspace);
  view.selected_workspace =
      current != view.workspaces.end() ? current->id : view.workspaces.front().id;
}

void load_messages_of_every_conversation(ChatView& view, const crdt::Document& doc) {
  // Records are assigned over last frame's, whose strings and lists keep their storage: a
  // long conversation is not freed and allocated again on every frame.
  std::vector<doc::ChatMessage>& all = view.all_messages;
  std::size_t filled = 0;
  const auto append = [&](auto&& message) {
    if (filled < all.size()) {
      all[filled] = std::forward<decltype(message)>(message);
    } else {
      all.push_back(std::forward<decltype(message)>(message));
    }
    ++filled;
  };
  for (const doc::Channel& c : view.conversations) {
    if (c.id == view.current_conversation) {
      // Read a moment ago from the same document: the same list.
      for (const doc::ChatMessage& m : view.messages) append(m);
    } else {
      for (doc::ChatMessage& m : doc::load_messages(doc, c.id)) append(std::move(m));
    }
  }
  all.resize(filled);
}

void collect_workspace_people(ChatApp& app) {
  ChatView& view = app.view;
  std::set<std::string, std::less<>> ids;
  ids.insert(app.local_person.id);
  ids.insert(app.self_aliases.begin(), app.self_aliases.end());
  // all_messages holds every conversation's messages as just read; the current workspace's
  // are picked from it rather than read a second time.
  std::set<std::string_view> workspace_conversations;
  for (const doc::Channel& c : view.conversations) {
    if (in_current_workspace(app, c)) workspace_conversations.insert(c.id);
  }
  // Messages come one conversation after the other and authors in runs: each run is looked
  // up once.
  const std::string* last_channel = nullptr;
  const std::string* last_author = nullptr;
  bool in_workspace = false;
  for (const doc::ChatMessage& m : view.all_messages) {
    if (!last_channel || *last_channel != m.channel) {
      last_channel = &m.channel;
      in_workspace = workspace_conversations.contains(m.channel);
      last_author = nullptr;
    }
    if (!in_workspace) continue;
    if (!last_author || *last_author != m.author) ids.insert(m.author);
    last_author = &m.author;
    for (const doc::Reaction& r : m.reactions) ids.insert(r.users.begin(), r.users.end());
  }
  for (const auto& [conversation, participants] : app.call_participants) {
    for (const doc::CallParticipant& p : participants) ids.insert(p.user);
  }
  view.workspace_people.clear();
  bool has_local = false;
  for (const doc::Person& p : view.people) {
    if (!ids.contains(p.id)) continue;
    has_local = has_local || is_local_user(app, p.id);
    view.workspace_people.push_back(p);
  }
  if (!has_local) {
    const LocalPerson& me = app.local_person;
    view.workspace_people.push_back(doc::Person{me.id, me.name, me.initials,
                                                static_cast<std::int64_t>(me.color_idx), false,
                                                doc::PresenceStatus::Online});
  }
  std::stable_sort(view.workspace_people.begin(), view.workspace_people.end(),
                   [](const doc::Person& a, const doc::Person& b) {
                     if (a.name != b.name) return a.name < b.name;
                     return a.id < b.id;
                   });
}

void sync_drafts(ChatApp& app, const crdt::Document& doc) {
  ChatView& view = app.view;
  view.composer_draft = doc::draft_text(doc, view.current_conversation);
  app.composer.set_text(view.composer_draft);
  const doc::Channel* current = find_channel(app, view.current_conversation);
  app.composer.set_placeholder("Message #" + (current ? current->name : std::string()));
  app.composer.set_local_author(app.local_person.id);

  view.thread_draft =
      app.open_thread
          ? doc::draft_text(doc, thread_draft_key(view.current_conversation, *app.open_thread))
          : std::string();
  app.thread_composer.set_text(view.thread_draft);
  app.thread_composer.set_placeholder("Reply…");
  app.thread_composer.set_local_author(app.local_person.id);

  if (app.pending_composer_text) {
    std::string text = std::move(*app.pending_composer_text);
    app.pending_composer_text.reset();
    app.composer.set_text_with_cursor(text, text.size());
    view.composer_draft = std::move(text);
  }
}

}  // namespace

void refresh_view(ChatApp& app, const crdt::Document& doc) {
  ChatView& view = app.view;
  view.workspaces = doc::list_workspaces(doc);
  view.conversations = doc::list_channels(doc);
  view.categories = doc::list_categories(doc);
  repair_selected_workspace(view);
  choose_current_conversation(app);
  for (doc::Channel& c : view.conversations) {
    c.unread =
        c.id == view.current_conversation ? 0 : doc::unread_count(doc, c.id, app.local_person.id);
  }
  doc::load_messages_into(doc, view.current_conversation, view.messages);
  load_messages_of_every_conversation(view, doc);
  view.people = doc::list_people(doc);

  app.call_participants.clear();
  for (const doc::Channel& c : view.conversations) {
    if (!is_voice_conversation(app, c)) continue;
    std::vector<doc::CallParticipant> participants = doc::list_call_participants(doc, c.id);
    if (!participants.empty()) app.call_participants[c.id] = std::move(participants);
  }
  collect_workspace_people(app);
  sync_drafts(app, doc);
  sync_input_states(app);
}

std::string thread_draft_key(std::string_view channel, std::string_view parent) {
  std::string key(channel);
  key += "::t::";
  key += parent;
  return key;
}

namespace {
template <typename Records>
auto* first_with_id(const Records& records, std::string_view id) {
  auto it = std::find_if(records.begin(), records.end(),
                         [&](const auto& record) { return record.id == id; });
  return it == records.end() ? nullptr : &*it;
}
}  // namespace

const doc::Person* find_person(const ChatApp& app, std::string_view id) {
  return first_with_id(app.view.workspace_people, id);
}
const doc::Channel* find_channel(const ChatApp& app, std::string_view id) {
  return first_with_id(app.view.conversations, id);
}
const doc::ChatMessage* find_message(const ChatApp& app, std::string_view id) {
  return first_with_id(app.view.messages, id);
}
const doc::Category* find_category(const ChatApp& app, std::string_view id) {
  return first_with_id(app.view.categories, id);
}

std::vector<doc::CallParticipant> lookup_keyed_entry(const ChatApp& app,
                                                     std::string_view conversation) {
  auto it = app.call_participants.find(std::string(conversation));
  return it == app.call_participants.end() ? std::vector<doc::CallParticipant>{} : it->second;
}

bool is_local_user(const ChatApp& app, std::string_view person_id) {
  return person_id == app.local_person.id ||
         std::find(app.self_aliases.begin(), app.self_aliases.end(), person_id) !=
             app.self_aliases.end();
}

std::string person_display_name(const ChatApp& app, std::string_view person_id) {
  if (auto it = app.presence_names.find(person_id);
      it != app.presence_names.end() && !blank(it->second)) {
    return it->second;
  }
  if (const doc::Person* p = find_person(app, person_id); p && !blank(p->name)) return p->name;
  if (is_local_user(app, person_id) && !blank(app.local_person.name)) return app.local_person.name;
  return std::string(person_id);
}

std::string author_label(const ChatApp& app, std::string_view person_id) {
  if (is_local_user(app, person_id)) return "You";
  std::string name = person_display_name(app, person_id);
  if (name != person_id && !blank(name)) return name;
  const std::size_t cut = person_id.find_last_of("@:");
  std::string_view tail = cut == std::string_view::npos ? person_id : person_id.substr(cut + 1);
  std::string_view shown = tail.empty() ? person_id : last_chars(tail, 4);
  return "Someone (" + std::string(shown) + ")";
}

std::vector<const doc::Channel*> sorted_channels(const ChatApp& app) {
  std::vector<const doc::Channel*> listed;
  for (const doc::Channel& c : app.view.conversations) {
    if (is_listed_conversation(app, c)) listed.push_back(&c);
  }
  std::stable_sort(listed.begin(), listed.end(), [](const doc::Channel* a, const doc::Channel* b) {
    return a->order < b->order;
  });
  return listed;
}

actions::ChatAction toggle_reaction_action(const ChatApp& app, std::string_view message_id,
                                           std::string_view emoji) {
  const std::string& channel = app.view.current_conversation;
  const std::string& me = app.local_person.id;
  if (const doc::ChatMessage* m = find_message(app, message_id)) {
    for (const doc::Reaction& r : m->reactions) {
      if (r.emoji == emoji && std::find(r.users.begin(), r.users.end(), me) != r.users.end()) {
        return {actions::ChatAction::RemoveReaction{channel, std::string(message_id),
                                                    std::string(emoji), me}};
      }
    }
  }
  return {
      actions::ChatAction::AddReaction{channel, std::string(message_id), std::string(emoji), me}};
}

void apply_presence(ChatApp& app, const vesk_ui::PresenceCtx& presence) {
  LocalPerson& me = app.local_person;
  if (presence.self_id && *presence.self_id != me.id) {
    me.color_idx = color_index(*presence.self_id);
    if (std::find(app.self_aliases.begin(), app.self_aliases.end(), *presence.self_id) ==
        app.self_aliases.end()) {
      app.self_aliases.push_back(*presence.self_id);
    }
  }
  // A blank name from presence would leave the local user nameless in the document.
  if (presence.self_display_name && *presence.self_display_name != me.name &&
      !blank(*presence.self_display_name)) {
    me.name = *presence.self_display_name;
    me.initials = initials_of(me.name);
  }
  const auto present = [&](std::string_view id) {
    return std::any_of(presence.present_users.begin(), presence.present_users.end(),
                       [&](const vesk_ui::PresentUser& u) { return u.user_id == id; });
  };
  std::erase_if(app.presence_names, [&](const auto& entry) { return !present(entry.first); });
  std::erase_if(app.presence_colors, [&](const auto& entry) { return !present(entry.first); });
  for (const vesk_ui::PresentUser& user : presence.present_users) {
    std::string_view name = trim(user.display_name);
    if (name.empty()) continue;
    app.presence_names[user.user_id] = std::string(name);
    app.presence_colors[user.user_id] = presence.color_for(user.user_id);
  }
}

bool in_current_workspace(const ChatApp& app, const doc::Channel& c) {
  return c.workspace == app.view.current_workspace;
}
bool is_listed_conversation(const ChatApp& app, const doc::Channel& c) {
  return in_current_workspace(app, c) && !c.archived;
}
bool is_category_conversation(const ChatApp& app, const doc::Channel& c,
                              std::string_view category) {
  return is_listed_conversation(app, c) && c.category == category;
}
bool is_text_conversation(const ChatApp& app, const doc::Channel& c) {
  return is_listed_conversation(app, c) && c.kind == doc::ChannelKind::Text;
}
bool is_voice_conversation(const ChatApp& app, const doc::Channel& c) {
  return in_current_workspace(app, c) && c.kind == doc::ChannelKind::Voice;
}
bool is_workspace_conversation(const doc::Channel& c, std::string_view workspace) {
  return c.workspace == workspace;
}
bool is_thread_reply(const ChatApp& app, const doc::ChatMessage& m) {
  return app.open_thread && m.parent == app.open_thread;
}

}  // namespace chat::app
