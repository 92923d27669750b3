#include "doc/structure_writers.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "doc/access.hpp"
#include "doc/readers.hpp"

namespace chat::doc {

namespace {

std::optional<crdt::ObjId> record_map(const crdt::Document& doc, std::string_view root_key,
                                      std::string_view id) {
  auto collection = get_map(doc, crdt::ROOT, root_key);
  if (!collection) return std::nullopt;
  return get_map(doc, *collection, id);
}

void remove_root_entry(crdt::Document& doc, std::string_view root_key, std::string_view id) {
  if (auto collection = get_map(doc, crdt::ROOT, root_key)) (void)doc.remove(*collection, id);
}

bool in_group(const Channel& c, std::string_view workspace, std::string_view category) {
  return c.workspace == workspace && c.category == category;
}

}  // namespace

void put_channel(crdt::Document& doc, std::string_view id, std::string_view workspace,
                 std::string_view category, std::string_view name, std::string_view topic,
                 ChannelKind kind, std::uint32_t order) {
  crdt::ObjId channels = ensure_map(doc, crdt::ROOT, "channels");
  crdt::ObjId record = ensure_map(doc, channels, id);
  bool voice = kind == ChannelKind::Voice;
  (void)doc.put(record, "workspace", workspace);
  (void)doc.put(record, "category", category);
  (void)doc.put(record, "name", name);
  (void)doc.put(record, "topic", topic);
  (void)doc.put(record, "kind", voice ? "voice" : "text");
  (void)doc.put(record, "order", static_cast<std::int64_t>(order));
  if (voice) {
    crdt::ObjId calls = ensure_map(doc, crdt::ROOT, "voice");
    (void)ensure_map(doc, calls, id);  // keeps a call already in progress
  }
}

void put_category(crdt::Document& doc, std::string_view id, std::string_view workspace,
                  std::string_view name, std::uint32_t order) {
  crdt::ObjId categories = ensure_map(doc, crdt::ROOT, "categories");
  crdt::ObjId record = ensure_map(doc, categories, id);
  (void)doc.put(record, "workspace", workspace);
  (void)doc.put(record, "name", name);
  (void)doc.put(record, "order", static_cast<std::int64_t>(order));
  (void)doc.put(record, "collapsed", false);
}

std::uint32_t next_channel_order(const crdt::Document& doc, std::string_view workspace,
                                 std::string_view category) {
  std::optional<std::uint32_t> highest;
  for (const Channel& c : list_channels(doc)) {
    if (in_group(c, workspace, category)) highest = std::max(highest.value_or(0), c.order);
  }
  return highest ? *highest + 1 : 0;
}

void move_channel_to_category(crdt::Document& doc, std::string_view channel,
                              std::string_view target_category) {
  auto channels = list_channels(doc);
  auto it = std::find_if(channels.begin(), channels.end(),
                         [&](const Channel& c) { return c.id == channel; });
  if (it == channels.end()) return;
  std::uint32_t order = next_channel_order(doc, it->workspace, target_category);
  if (auto record = record_map(doc, "channels", channel)) {
    (void)doc.put(*record, "category", target_category);
    (void)doc.put(*record, "order", static_cast<std::int64_t>(order));
  }
}

void create_channel(crdt::Document& doc, std::string_view workspace, std::string_view category,
                    std::string_view id, std::string_view name, ChannelKind kind) {
  std::uint32_t order = next_channel_order(doc, workspace, category);
  put_channel(doc, id, workspace, category, name, "", kind, order);
}

void rename_channel(crdt::Document& doc, std::string_view id, std::string_view name) {
  if (auto record = record_map(doc, "channels", id)) (void)doc.put(*record, "name", name);
}

void archive_channel(crdt::Document& doc, std::string_view id, bool archived) {
  auto record = record_map(doc, "channels", id);
  if (!record) return;
  if (bool_or_false(doc, *record, "archived") == archived) return;
  (void)doc.put(*record, "archived", archived);
}

void reorder_channel(crdt::Document& doc, std::string_view id, bool up) {
  auto channels = list_channels(doc);  // already stably sorted by order
  auto self =
      std::find_if(channels.begin(), channels.end(), [&](const Channel& c) { return c.id == id; });
  if (self == channels.end()) return;
  std::vector<const Channel*> group;
  for (const Channel& c : channels) {
    if (in_group(c, self->workspace, self->category)) group.push_back(&c);
  }
  auto pos =
      static_cast<std::size_t>(std::find(group.begin(), group.end(), &*self) - group.begin());
  if (up && pos == 0) return;
  if (!up && pos + 1 >= group.size()) return;
  const Channel& neighbour = *group[up ? pos - 1 : pos + 1];
  if (auto record = record_map(doc, "channels", self->id)) {
    (void)doc.put(*record, "order", static_cast<std::int64_t>(neighbour.order));
  }
  if (auto record = record_map(doc, "channels", neighbour.id)) {
    (void)doc.put(*record, "order", static_cast<std::int64_t>(self->order));
  }
}

void delete_channel(crdt::Document& doc, std::string_view id) {
  for (std::string_view root_key : {"channels", "messages", "voice", "drafts"}) {
    remove_root_entry(doc, root_key, id);
  }
}

void create_category(crdt::Document& doc, std::string_view workspace, std::string_view id,
                     std::string_view name) {
  std::optional<std::uint32_t> highest;
  for (const Category& c : list_categories(doc)) {
    if (c.workspace == workspace) highest = std::max(highest.value_or(0), c.order);
  }
  put_category(doc, id, workspace, name, highest ? *highest + 1 : 0);
}

void rename_category(crdt::Document& doc, std::string_view id, std::string_view name) {
  if (auto record = record_map(doc, "categories", id)) (void)doc.put(*record, "name", name);
}

void set_category_collapsed(crdt::Document& doc, std::string_view id, bool collapsed) {
  if (auto record = record_map(doc, "categories", id)) {
    (void)doc.put(*record, "collapsed", collapsed);
  }
}

void delete_category(crdt::Document& doc, std::string_view id) {
  std::vector<std::string> members;
  for (const Channel& c : list_channels(doc)) {
    if (c.category == id) members.push_back(c.id);
  }
  // One at a time: each move sees the orders the previous ones gave.
  for (const std::string& channel : members) move_channel_to_category(doc, channel, "");
  remove_root_entry(doc, "categories", id);
}

}  // namespace chat::doc
