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
template <class List, class Visit>
void for_each_map_entry(const crdt::Document& doc, const List& list, Visit visit,
                        crdt::ReadAhead ahead = crdt::ReadAhead::None) {
  doc.for_each_element(
      list,
      [&](std::size_t, const crdt::ValueView& entry) {
        if (entry.object_type() == crdt::ObjType::Map) visit(entry);
      },
      ahead);
}

// The readers' defaults for a value of another kind: empty, 0, false.
const std::string* string_in(const crdt::ValueView& value) {
  const crdt::ScalarValue* scalar = value.scalar();
  return scalar ? std::get_if<std::string>(&scalar->content) : nullptr;
}

// A string value, or empty for a value of another kind, assigned into a string that keeps its
// storage.
void assign_string_or_empty(const crdt::ValueView& value, std::string& out) {
  if (const std::string* text = string_in(value)) {
    out.assign(*text);
  } else {
    out.clear();
  }
}

std::int64_t i64_or_zero_in(const crdt::ValueView& value) {
  const crdt::ScalarValue* scalar = value.scalar();
  return scalar ? scalar_as_i64(*scalar).value_or(0) : 0;
}

bool bool_or_false_in(const crdt::ValueView& value) {
  const crdt::ScalarValue* scalar = value.scalar();
  const bool* flag = scalar ? std::get_if<bool>(&scalar->content) : nullptr;
  return flag && *flag;
}

std::uint64_t non_negative(std::int64_t value) {
  return value < 0 ? 0 : static_cast<std::uint64_t>(value);
}

std::vector<EditRecord> read_history(const crdt::Document& doc, const crdt::ValueView& list) {
  std::vector<EditRecord> out;
  out.reserve(doc.length(list));
  for_each_map_entry(doc, list, [&](const crdt::ValueView& entry) {
    EditRecord record;
    doc.for_each_entry(entry, [&](std::string_view key, const crdt::ValueView& value) {
      if (key == "text") {
        assign_string_or_empty(value, record.text);
      } else if (key == "ts") {
        record.ts = i64_or_zero_in(value);
      }
    });
    out.push_back(std::move(record));
  });
  return out;
}

// Grouped by emoji in order of first occurrence, each user once; then the biggest groups
// first, ties by emoji bytes.
std::vector<Reaction> read_reactions(const crdt::Document& doc, const crdt::ValueView& list) {
  std::vector<Reaction> groups;
  groups.reserve(doc.length(list));
  for_each_map_entry(doc, list, [&](const crdt::ValueView& entry) {
    std::string emoji, user;
    doc.for_each_entry(entry, [&](std::string_view key, const crdt::ValueView& value) {
      if (key == "emoji") {
        assign_string_or_empty(value, emoji);
      } else if (key == "user") {
        assign_string_or_empty(value, user);
      }
    });
    if (emoji.empty()) return;
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const Reaction& r) { return r.emoji == emoji; });
    if (group == groups.end()) {
      groups.push_back({std::move(emoji), {std::move(user)}});
    } else if (std::find(group->users.begin(), group->users.end(), user) == group->users.end()) {
      group->users.push_back(std::move(user));
    }
  });
  // A stable insertion sort: a message has a handful of groups, and std::stable_sort would
  // allocate a buffer for every message of every frame.
  auto before = [](const Reaction& a, const Reaction& b) {
    if (a.users.size() != b.users.size()) return a.users.size() > b.users.size();
    return a.emoji < b.emoji;
  };
  for (std::size_t i = 1; i < groups.size(); ++i) {
    for (std::size_t j = i; j > 0 && before(groups[j], groups[j - 1]); --j) {
      std::swap(groups[j], groups[j - 1]);
    }
  }
  return groups;
}

std::vector<Mention> read_mentions(const crdt::Document& doc, const crdt::ValueView& list) {
  std::vector<Mention> out;
  out.reserve(doc.length(list));
  for_each_map_entry(doc, list, [&](const crdt::ValueView& entry) {
    Mention m;
    doc.for_each_entry(entry, [&](std::string_view key, const crdt::ValueView& value) {
      if (key == "user") {
        assign_string_or_empty(value, m.user);
      } else if (key == "start") {
        m.start = non_negative(i64_or_zero_in(value));
      } else if (key == "len") {
        m.len = non_negative(i64_or_zero_in(value));
      } else if (key == "agent") {
        m.is_agent = bool_or_false_in(value);
      }
    });
    if (!m.user.empty()) out.push_back(std::move(m));
  });
  return out;
}

std::optional<ResourceRef> read_reference(const std::string* text) {
  if (!text || text->empty()) return std::nullopt;
  ResourceRef parsed;
  if (!decode_stored(*text, parsed)) return std::nullopt;
  return parsed;
}

std::optional<Attachment> read_attachment(const crdt::Document& doc, const crdt::ObjId& map) {
  std::string blob = string_or_empty(doc, map, "blob");
  if (blob.empty()) blob = string_or_empty(doc, map, "path");  // the older layout
  auto dimension = [&](std::string_view key) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(i64_or_zero(doc, map, key)));
  };
  auto size = [&] { return static_cast<std::uint64_t>(i64_or_zero(doc, map, "size")); };
  std::string kind = string_or_empty(doc, map, "kind");
  std::string name = string_or_empty(doc, map, "name");
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

// Fills a default record in place (a new one, or one emptied by clear()), so that a
// conversation's worth of records is neither moved once more nor allocated again.
void decode_message_into(const crdt::Document& doc, const crdt::ValueView& message,
                         std::string_view channel, ChatMessage& m) {
  m.channel.assign(channel);
  std::optional<crdt::ObjId> attachment;
  bool has_work = false;
  // Most messages have no history, reactions or mentions: an empty list is not visited, which
  // spares reaching its elements.
  auto is_filled_list = [&](const crdt::ValueView& value) {
    return value.object_type() == crdt::ObjType::List && doc.length(value) != 0;
  };
  // One pass over the message's keys; each field depends on its own key only.
  doc.for_each_entry(message, [&](std::string_view key, const crdt::ValueView& value) {
    if (key == "parent") {
      if (const std::string* parent = string_in(value); parent && !parent->empty()) {
        m.parent = *parent;
      }
    } else if (key == "id") {
      assign_string_or_empty(value, m.id);
    } else if (key == "author") {
      assign_string_or_empty(value, m.author);
    } else if (key == "ts") {
      m.ts = i64_or_zero_in(value);
    } else if (key == "text") {
      doc.copy_text(value, m.text);  // a value of another kind leaves it empty
    } else if (key == "edited") {
      m.edited = bool_or_false_in(value);
    } else if (key == "history") {
      if (is_filled_list(value)) m.history = read_history(doc, value);
    } else if (key == "reactions") {
      if (is_filled_list(value)) m.reactions = read_reactions(doc, value);
    } else if (key == "mentions") {
      if (is_filled_list(value)) m.mentions = read_mentions(doc, value);
    } else if (key == "reference") {
      m.reference = read_reference(string_in(value));
    } else if (key == "attachment") {
      if (value.object_type() == crdt::ObjType::Map) attachment = value.id();
    } else if (key == "work") {
      has_work = true;
    } else if (key == "pinned") {
      m.pinned = bool_or_false_in(value);
    }
  });
  if (attachment) m.attachment = read_attachment(doc, *attachment);
  if (has_work) m.work = message_agent_work(doc, message.id());
}

}  // namespace

ChatMessage decode_message(const crdt::Document& doc, const crdt::ValueView& message,
                           std::string_view channel) {
  ChatMessage m;
  decode_message_into(doc, message, channel, m);
  return m;
}

std::vector<ChatMessage> load_messages(const crdt::Document& doc, std::string_view channel) {
  std::vector<ChatMessage> out;
  load_messages_into(doc, channel, out);
  return out;
}

void load_messages_into(const crdt::Document& doc, std::string_view channel,
                        std::vector<ChatMessage>& out) {
  auto list = channel_list(doc, channel);
  if (!list) {
    out.clear();
    return;
  }
  out.reserve(doc.length(*list));
  // Every message is read whole, into the records already there where there are some.
  std::size_t filled = 0;
  for_each_map_entry(
      doc, *list,
      [&](const crdt::ValueView& message) {
        if (filled == out.size()) {
          out.emplace_back();
        } else {
          out[filled].clear();
        }
        decode_message_into(doc, message, channel, out[filled++]);
      },
      crdt::ReadAhead::Records);
  out.resize(filled);
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
  for_each_map_entry(doc, *list, [&](const crdt::ValueView& message) {
    auto parent = doc.lookup(message, "parent");
    const std::string* text = parent ? string_in(*parent) : nullptr;
    if (!text || text->empty()) ++count;
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
