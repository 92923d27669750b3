#include "doc/readers.hpp"

#include <algorithm>
#include <string>

#include "doc/access.hpp"

namespace chat::doc {

namespace {

// Orders and other 32-bit fields keep the low 32 bits of the stored integer.
std::uint32_t low_u32(const crdt::Document& doc, const crdt::ObjId& obj, std::string_view key) {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(i64_or_zero(doc, obj, key)));
}

template <class Record, class Decode>
std::vector<Record> list_collection(const crdt::Document& doc, const crdt::ObjId& collection,
                                    Decode decode) {
  std::vector<Record> out;
  out.reserve(doc.length(collection));
  for (std::string_view key : doc.keys(collection)) {
    if (auto record = decode(doc, collection, key)) out.push_back(std::move(*record));
  }
  return out;
}

template <class Record, class Decode>
std::vector<Record> list_root_collection(const crdt::Document& doc, std::string_view root_key,
                                         Decode decode) {
  auto collection = get_map(doc, crdt::ROOT, root_key);
  if (!collection) return {};
  return list_collection<Record>(doc, *collection, decode);
}

template <class Record>
void sort_by_order(std::vector<Record>& records) {
  std::stable_sort(records.begin(), records.end(),
                   [](const Record& a, const Record& b) { return a.order < b.order; });
}

}  // namespace

std::string_view status_text(PresenceStatus status) {
  switch (status) {
    case PresenceStatus::Online:
      return "online";
    case PresenceStatus::Idle:
      return "idle";
    case PresenceStatus::Dnd:
      return "dnd";
    case PresenceStatus::Offline:
      return "offline";
  }
  return "online";
}

PresenceStatus parse_status(std::string_view text) {
  if (text == "idle") return PresenceStatus::Idle;
  if (text == "dnd") return PresenceStatus::Dnd;
  if (text == "offline") return PresenceStatus::Offline;
  return PresenceStatus::Online;
}

std::optional<Person> decode_person(const crdt::Document& doc, const crdt::ObjId& users,
                                    std::string_view key) {
  auto map = get_map(doc, users, key);
  if (!map) return std::nullopt;
  Person p;
  p.id = std::string(key);
  p.name = string_or_empty(doc, *map, "name");
  p.initials = string_or_empty(doc, *map, "initials");
  p.color_idx = i64_or_zero(doc, *map, "color_idx");
  p.agent = bool_or_false(doc, *map, "agent");
  p.status = parse_status(string_or_empty(doc, *map, "status"));
  return p;
}

std::optional<Workspace> decode_workspace(const crdt::Document& doc, const crdt::ObjId& workspaces,
                                          std::string_view key) {
  auto map = get_map(doc, workspaces, key);
  if (!map) return std::nullopt;
  Workspace w;
  w.id = std::string(key);
  w.name = string_or_empty(doc, *map, "name");
  w.glyph = string_or_empty(doc, *map, "glyph");
  w.color_idx = i64_or_zero(doc, *map, "color_idx");
  w.order = low_u32(doc, *map, "order");
  return w;
}

std::optional<Category> decode_category(const crdt::Document& doc, const crdt::ObjId& categories,
                                        std::string_view key) {
  auto map = get_map(doc, categories, key);
  if (!map) return std::nullopt;
  Category c;
  c.id = std::string(key);
  c.workspace = string_or_empty(doc, *map, "workspace");
  c.name = string_or_empty(doc, *map, "name");
  c.order = low_u32(doc, *map, "order");
  c.collapsed = bool_or_false(doc, *map, "collapsed");
  return c;
}

std::optional<Channel> decode_channel(const crdt::Document& doc, const crdt::ObjId& channels,
                                      std::string_view key) {
  auto map = get_map(doc, channels, key);
  if (!map) return std::nullopt;
  Channel c;
  c.id = std::string(key);
  c.workspace = string_or_empty(doc, *map, "workspace");
  c.category = string_or_empty(doc, *map, "category");
  c.name = string_or_empty(doc, *map, "name");
  c.topic = string_or_empty(doc, *map, "topic");
  c.kind = doc_get_string(doc, *map, "kind") == "voice" ? ChannelKind::Voice : ChannelKind::Text;
  c.order = low_u32(doc, *map, "order");
  c.archived = bool_or_false(doc, *map, "archived");
  return c;
}

std::optional<CallParticipant> decode_call_participant(const crdt::Document& doc,
                                                       const crdt::ObjId& call,
                                                       std::string_view key) {
  auto map = get_map(doc, call, key);
  if (!map) return std::nullopt;
  CallParticipant p;
  p.user = std::string(key);
  if (auto ticket = doc_get_string(doc, *map, "ticket"); ticket && !ticket->empty()) {
    p.ticket = std::move(*ticket);
  }
  p.talking = bool_or_false(doc, *map, "talking");
  p.muted = bool_or_false(doc, *map, "muted");
  p.deafened = bool_or_false(doc, *map, "deafened");
  p.audio_only = bool_or_false(doc, *map, "audio_only");
  p.sharing = bool_or_false(doc, *map, "sharing");
  return p;
}

std::vector<Person> list_people(const crdt::Document& doc) {
  return list_root_collection<Person>(doc, "users", decode_person);
}

std::vector<Workspace> list_workspaces(const crdt::Document& doc) {
  auto out = list_root_collection<Workspace>(doc, "workspaces", decode_workspace);
  sort_by_order(out);
  return out;
}

std::vector<Category> list_categories(const crdt::Document& doc) {
  auto out = list_root_collection<Category>(doc, "categories", decode_category);
  sort_by_order(out);
  return out;
}

std::vector<Channel> list_channels(const crdt::Document& doc) {
  auto out = list_root_collection<Channel>(doc, "channels", decode_channel);
  sort_by_order(out);
  return out;
}

std::vector<CallParticipant> list_call_participants(const crdt::Document& doc,
                                                    std::string_view channel) {
  auto voice = get_map(doc, crdt::ROOT, "voice");
  if (!voice) return {};
  auto call = get_map(doc, *voice, channel);
  if (!call) return {};
  auto out = list_collection<CallParticipant>(doc, *call, decode_call_participant);
  std::stable_sort(out.begin(), out.end(), [](const CallParticipant& a, const CallParticipant& b) {
    if (a.talking != b.talking) return a.talking;
    return a.user < b.user;  // std::string compares bytes as unsigned char
  });
  return out;
}

bool channel_in_group(const Channel& channel, std::string_view workspace,
                      std::string_view category) {
  return channel.workspace == workspace && channel.category == category &&
         channel.kind == ChannelKind::Text;
}

}  // namespace chat::doc
