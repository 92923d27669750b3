#include "doc/message_readers.hpp"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "doc/access.hpp"
#include "doc/agent_work.hpp"
#include "doc/stored_json.hpp"

namespace chat::doc {

namespace {

std::optional<crdt::ObjId> channel_list(const crdt::Document& doc, std::string_view channel) {
  auto messages = get_map(doc, crdt::ROOT, "messages");
  if (!messages) return std::nullopt;
  return get_list(doc, *messages, channel);
}

// Calls visit(entry map) for every entry of the list that is a map.
template <class Visit>
void for_each_map_entry(const crdt::Document& doc, const crdt::ObjId& list, Visit visit) {
  std::size_t length = doc.length(list);
  for (std::size_t i = 0; i < length; ++i) {
    auto entry = doc.get(list, i);
    if (!entry || entry->first.object_type() != crdt::ObjType::Map) continue;
    visit(entry->second);
  }
}

std::uint64_t non_negative(std::int64_t value) {
  return value < 0 ? 0 : static_cast<std::uint64_t>(value);
}

std::vector<EditRecord> read_history(const crdt::Document& doc, const crdt::ObjId& message) {
  std::vector<EditRecord> out;
  auto list = get_list(doc, message, "history");
  if (!list) return out;
  for_each_map_entry(doc, *list, [&](const crdt::ObjId& entry) {
    out.push_back({string_or_empty(doc, entry, "text"), i64_or_zero(doc, entry, "ts")});
  });
  return out;
}

// Grouped by emoji in order of first occurrence, each user once; then the biggest groups
// first, ties by emoji bytes.
std::vector<Reaction> read_reactions(const crdt::Document& doc, const crdt::ObjId& message) {
  std::vector<Reaction> groups;
  auto list = get_list(doc, message, "reactions");
  if (!list) return groups;
  for_each_map_entry(doc, *list, [&](const crdt::ObjId& entry) {
    std::string emoji = string_or_empty(doc, entry, "emoji");
    if (emoji.empty()) return;
    std::string user = string_or_empty(doc, entry, "user");
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const Reaction& r) { return r.emoji == emoji; });
    if (group == groups.end()) {
      groups.push_back({std::move(emoji), {std::move(user)}});
    } else if (std::find(group->users.begin(), group->users.end(), user) == group->users.end()) {
      group->users.push_back(std::move(user));
    }
  });
  if (groups.size() >= 2) {
    std::stable_sort(groups.begin(), groups.end(), [](const Reaction& a, const Reaction& b) {
      if (a.users.size() != b.users.size()) return a.users.size() > b.users.size();
      return a.emoji < b.emoji;
    });
  }
  return groups;
}

std::vector<Mention> read_mentions(const crdt::Document& doc, const crdt::ObjId& message) {
  std::vector<Mention> out;
  auto list = get_list(doc, message, "mentions");
  if (!list) return out;
  for_each_map_entry(doc, *list, [&](const crdt::ObjId& entry) {
    auto user = doc_get_string(doc, entry, "user");
    if (!user || user->empty()) return;
    Mention m;
    m.user = std::move(*user);
    m.start = non_negative(i64_or_zero(doc, entry, "start"));
    m.len = non_negative(i64_or_zero(doc, entry, "len"));
    m.is_agent = bool_or_false(doc, entry, "agent");
    out.push_back(std::move(m));
  });
  return out;
}

std::optional<ResourceRef> read_reference(const crdt::Document& doc, const crdt::ObjId& message) {
  auto text = doc_get_string(doc, message, "reference");
  if (!text || text->empty()) return std::nullopt;
  ResourceRef parsed;
  if (!decode_stored(*text, parsed)) return std::nullopt;
  return parsed;
}

std::optional<Attachment> read_attachment(const crdt::Document& doc, const crdt::ObjId& message) {
  auto map = get_map(doc, message, "attachment");
  if (!map) return std::nullopt;
  std::string blob = string_or_empty(doc, *map, "blob");
  if (blob.empty()) blob = string_or_empty(doc, *map, "path");  // the older layout
  auto dimension = [&](std::string_view key) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(i64_or_zero(doc, *map, key)));
  };
  auto size = [&] { return static_cast<std::uint64_t>(i64_or_zero(doc, *map, "size")); };
  std::string kind = string_or_empty(doc, *map, "kind");
  std::string name = string_or_empty(doc, *map, "name");
  if (kind == "image") {
    return Attachment{
        Attachment::Image{std::move(name), std::move(blob), dimension("w"), dimension("h")}};
  }
  if (kind == "video") {
    return Attachment{Attachment::Video{std::move(name), std::move(blob), dimension("w"),
                                        dimension("h"), size()}};
  }
  if (kind == "file") return Attachment{Attachment::File{std::move(name), std::move(blob), size()}};
  return std::nullopt;
}

}  // namespace

ChatMessage decode_message(const crdt::Document& doc, const crdt::ObjId& message,
                           std::string_view channel) {
  ChatMessage m;
  m.channel = std::string(channel);
  if (auto parent = doc_get_string(doc, message, "parent"); parent && !parent->empty()) {
    m.parent = std::move(*parent);
  }
  m.id = string_or_empty(doc, message, "id");
  m.author = string_or_empty(doc, message, "author");
  m.ts = i64_or_zero(doc, message, "ts");
  m.text = doc_get_text(doc, message, "text").value_or(std::string());
  m.edited = bool_or_false(doc, message, "edited");
  m.history = read_history(doc, message);
  m.reactions = read_reactions(doc, message);
  m.mentions = read_mentions(doc, message);
  m.reference = read_reference(doc, message);
  m.attachment = read_attachment(doc, message);
  m.work = message_agent_work(doc, message);
  m.pinned = bool_or_false(doc, message, "pinned");
  return m;
}

std::vector<ChatMessage> load_messages(const crdt::Document& doc, std::string_view channel) {
  std::vector<ChatMessage> out;
  auto list = channel_list(doc, channel);
  if (!list) return out;
  out.reserve(doc.length(*list));
  for_each_map_entry(doc, *list, [&](const crdt::ObjId& message) {
    out.push_back(decode_message(doc, message, channel));
  });
  return out;
}

std::int64_t read_count(const crdt::Document& doc, std::string_view channel,
                        std::string_view user) {
  auto read = get_map(doc, crdt::ROOT, "read");
  if (!read) return 0;
  auto counts = get_map(doc, *read, channel);
  if (!counts) return 0;
  return i64_or_zero(doc, *counts, user);
}

std::size_t top_level_message_count(const crdt::Document& doc, std::string_view channel) {
  // Only the parent decides, so the rest of each message is not read.
  std::size_t count = 0;
  auto list = channel_list(doc, channel);
  if (!list) return 0;
  for_each_map_entry(doc, *list, [&](const crdt::ObjId& message) {
    if (string_or_empty(doc, message, "parent").empty()) ++count;
  });
  return count;
}

std::uint32_t unread_count(const crdt::Document& doc, std::string_view channel,
                           std::string_view user) {
  auto top_level = static_cast<std::int64_t>(top_level_message_count(doc, channel));
  std::int64_t read = read_count(doc, channel, user);
  // A huge negative read count must not overflow the difference.
  if (read < 0 && top_level > std::numeric_limits<std::int64_t>::max() + read) {
    return static_cast<std::uint32_t>(std::numeric_limits<std::int64_t>::max());
  }
  std::int64_t difference = top_level - read;
  if (difference < 0) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(difference));
}

}  // namespace chat::doc
