#include "doc/message_writers.hpp"

#include <uuid/uuid.h>

#include <array>
#include <variant>

#include "doc/access.hpp"
#include "doc/agent_work.hpp"
#include "fatal.hpp"
#include "json/json.hpp"
#include "vesk_ui/text_splice.hpp"

namespace chat::doc {

namespace {

std::optional<crdt::ObjId> channel_list(const crdt::Document& doc, std::string_view channel) {
  auto messages = get_map(doc, crdt::ROOT, "messages");
  if (!messages) return std::nullopt;
  return get_list(doc, *messages, channel);
}

// The index and id of the first map entry whose `key` string equals `value`.
std::optional<std::pair<std::size_t, crdt::ObjId>> find_entry(const crdt::Document& doc,
                                                              const crdt::ObjId& list,
                                                              std::string_view key,
                                                              std::string_view value) {
  std::optional<std::pair<std::size_t, crdt::ObjId>> found;
  doc.for_each_element(list, [&](std::size_t i, const crdt::ValueView& entry) {
    if (found || entry.object_type() != crdt::ObjType::Map) return;
    auto field = doc.lookup(entry, key);
    const crdt::ScalarValue* scalar = field ? field->scalar() : nullptr;
    const auto* text = scalar ? std::get_if<std::string>(&scalar->content) : nullptr;
    if (text && *text == value) found.emplace(i, entry.id());
  });
  return found;
}

void write_attachment(crdt::Document& doc, const crdt::ObjId& message,
                      const Attachment& attachment) {
  crdt::ObjId map = put_object_or_stop(doc, message, "attachment", crdt::ObjType::Map, "att");
  auto put_u64 = [&](std::string_view key, std::uint64_t value) {
    (void)doc.put(map, key, static_cast<std::int64_t>(value));
  };
  std::visit(
      [&](const auto& a) {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, Attachment::Video>) {
          (void)doc.put(map, "kind", "video");
        } else if constexpr (std::is_same_v<T, Attachment::Image>) {
          (void)doc.put(map, "kind", "image");
        } else {
          (void)doc.put(map, "kind", "file");
        }
        (void)doc.put(map, "name", a.name);
        (void)doc.put(map, "blob", a.blob);
        if constexpr (!std::is_same_v<T, Attachment::File>) {
          put_u64("w", a.w);
          put_u64("h", a.h);
        }
        if constexpr (!std::is_same_v<T, Attachment::Image>) put_u64("size", a.size);
      },
      attachment.value);
}

}  // namespace

bool message_id_exists(const crdt::Document& doc, std::string_view id) {
  auto messages = get_map(doc, crdt::ROOT, "messages");
  if (!messages) return false;
  for (std::string_view channel : doc.keys(*messages)) {
    auto list = get_list(doc, *messages, channel);
    if (list && find_entry(doc, *list, "id", id)) return true;
  }
  return false;
}

std::optional<crdt::ObjId> find_message_obj(const crdt::Document& doc, std::string_view channel,
                                            std::string_view id) {
  auto list = channel_list(doc, channel);
  if (!list) return std::nullopt;
  auto found = find_entry(doc, *list, "id", id);
  if (!found) return std::nullopt;
  return found->second;
}

std::optional<std::size_t> find_reaction(const crdt::Document& doc, const crdt::ObjId& reactions,
                                         std::string_view emoji, std::string_view user) {
  std::size_t length = doc.length(reactions);
  for (std::size_t i = 0; i < length; ++i) {
    auto entry = doc.get(reactions, i);
    if (!entry || entry->first.object_type() != crdt::ObjType::Map) continue;
    if (string_or_empty(doc, entry->second, "emoji") == emoji &&
        string_or_empty(doc, entry->second, "user") == user) {
      return i;
    }
  }
  return std::nullopt;
}

std::string new_message_id() {
  uuid_t uuid;
  uuid_generate_random(uuid);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id = "m_";
  for (unsigned char byte : uuid) {
    id.push_back(kHex[byte >> 4]);
    id.push_back(kHex[byte & 15]);
  }
  return id;
}

std::string insert_message(crdt::Document& doc, std::string_view channel, std::string_view id,
                           const NewMessage& message) {
  // An id is never reused, in any channel.
  if (message_id_exists(doc, id)) return std::string(id);
  crdt::ObjId list = ensure_list(doc, ensure_map(doc, crdt::ROOT, "messages"), channel);
  crdt::ObjId m = append_object_or_stop(doc, list, crdt::ObjType::Map, "insert msg");

  (void)doc.put(m, "id", id);
  (void)doc.put(m, "author", message.author);
  (void)doc.put(m, "ts", message.ts);
  (void)doc.put(m, "parent", message.parent.value_or(std::string()));
  (void)doc.put(m, "edited", message.edited);
  crdt::ObjId text = put_object_or_stop(doc, m, "text", crdt::ObjType::Text, "text");
  if (!message.text.empty()) (void)doc.splice_text(text, 0, 0, message.text);

  crdt::ObjId reactions = put_object_or_stop(doc, m, "reactions", crdt::ObjType::List, "rx");
  for (const Reaction& reaction : message.reactions) {
    for (const std::string& user : reaction.users) {
      crdt::ObjId entry = append_object_or_stop(doc, reactions, crdt::ObjType::Map, "rxentry");
      (void)doc.put(entry, "emoji", reaction.emoji);
      (void)doc.put(entry, "user", user);
    }
  }

  crdt::ObjId mentions = put_object_or_stop(doc, m, "mentions", crdt::ObjType::List, "mentions");
  for (const Mention& mention : message.mentions) {
    crdt::ObjId entry = append_object_or_stop(doc, mentions, crdt::ObjType::Map, "mention");
    (void)doc.put(entry, "user", mention.user);
    (void)doc.put(entry, "start", static_cast<std::int64_t>(mention.start));
    (void)doc.put(entry, "len", static_cast<std::int64_t>(mention.len));
    (void)doc.put(entry, "agent", mention.is_agent);
  }

  if (message.reference) (void)doc.put(m, "reference", json::to_text(*message.reference));
  if (message.work) put_agent_work(doc, m, *message.work);

  crdt::ObjId history = put_object_or_stop(doc, m, "history", crdt::ObjType::List, "hist");
  for (const EditRecord& record : message.history) {
    crdt::ObjId entry = append_object_or_stop(doc, history, crdt::ObjType::Map, "hrec");
    (void)doc.put(entry, "ts", record.ts);
    (void)doc.put(entry, "text", record.text);
  }

  if (message.attachment) write_attachment(doc, m, *message.attachment);
  return std::string(id);
}

std::string insert_message_with_new_id(crdt::Document& doc, std::string_view channel,
                                       const NewMessage& message) {
  return insert_message(doc, channel, new_message_id(), message);
}

void put_message_text(crdt::Document& doc, std::string_view channel, std::string_view id,
                      std::string_view text, std::int64_t ts) {
  auto m = find_message_obj(doc, channel, id);
  if (!m) return;
  std::string current = doc_get_text(doc, *m, "text").value_or(std::string());
  if (current == text) return;
  crdt::ObjId history = ensure_list(doc, *m, "history");
  crdt::ObjId entry = append_object_or_stop(doc, history, crdt::ObjType::Map, "hrec");
  (void)doc.put(entry, "ts", ts);
  (void)doc.put(entry, "text", current);
  (void)vesk_ui::splice_text_diffed(doc, ensure_text(doc, *m, "text"), text);
  (void)doc.put(*m, "edited", true);
}

void delete_message(crdt::Document& doc, std::string_view channel, std::string_view id) {
  auto list = channel_list(doc, channel);
  if (!list) return;
  // Replies keep their parent id: threads are not deleted with their top message.
  if (auto found = find_entry(doc, *list, "id", id)) (void)doc.remove(*list, found->first);
}

void put_reaction(crdt::Document& doc, std::string_view channel, std::string_view message,
                  std::string_view emoji, std::string_view user) {
  auto m = find_message_obj(doc, channel, message);
  if (!m) return;
  crdt::ObjId reactions = ensure_list(doc, *m, "reactions");
  if (find_reaction(doc, reactions, emoji, user)) return;
  crdt::ObjId entry = append_object_or_stop(doc, reactions, crdt::ObjType::Map, "rxentry");
  (void)doc.put(entry, "emoji", emoji);
  (void)doc.put(entry, "user", user);
}

void remove_reaction(crdt::Document& doc, std::string_view channel, std::string_view message,
                     std::string_view emoji, std::string_view user) {
  auto m = find_message_obj(doc, channel, message);
  if (!m) return;
  auto reactions = get_list(doc, *m, "reactions");
  if (!reactions) return;
  if (auto index = find_reaction(doc, *reactions, emoji, user)) {
    (void)doc.remove(*reactions, *index);
  }
}

void pin_message(crdt::Document& doc, std::string_view channel, std::string_view message,
                 bool pinned) {
  auto m = find_message_obj(doc, channel, message);
  if (!m) return;
  if (bool_or_false(doc, *m, "pinned") == pinned) return;
  (void)doc.put(*m, "pinned", pinned);
}

void mark_read(crdt::Document& doc, std::string_view channel, std::string_view user,
               std::int64_t count) {
  crdt::ObjId counts = ensure_map(doc, ensure_map(doc, crdt::ROOT, "read"), channel);
  if (i64_or_zero(doc, counts, user) == count) return;
  (void)doc.put(counts, user, count);
}

void set_agent_work(crdt::Document& doc, std::string_view channel, std::string_view message,
                    const AgentWork& work, const std::optional<std::string>& say) {
  auto m = find_message_obj(doc, channel, message);
  if (!m) return;
  auto stored = message_agent_work(doc, *m);
  if (!stored || !(*stored == work)) put_agent_work(doc, *m, work);
  if (!say || say->empty()) return;
  auto found = doc.get(*m, "text");
  if (!found || found->first.object_type() != crdt::ObjType::Text) return;
  if (doc.length(found->second) != 0) return;
  (void)doc.splice_text(found->second, 0, 0, *say);
}

}  // namespace chat::doc
