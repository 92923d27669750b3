#include "objects.hpp"

namespace crdt::detail {

bool remove_preds(Conflicts& values, std::span<const OpId> pred) {
  return values.remove_ids(pred);
}

void insert_sorted(Conflicts& values, ValueOp op, const OpOrder& order) {
  std::size_t at = 0;
  while (at < values.size() && !order.less(op.id, values.begin()[at].id)) ++at;
  values.insert_at(at, std::move(op));
}

namespace {
struct KeyLess {
  bool operator()(const MapObject::Entry& e, std::string_view k) const { return e.key < k; }
};
}  // namespace

MapObject::Entry* MapObject::find(std::string_view key) {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key, KeyLess{});
  return it != entries_.end() && it->key == key ? &*it : nullptr;
}

const MapObject::Entry* MapObject::find(std::string_view key) const {
  return const_cast<MapObject*>(this)->find(key);
}

MapObject::Entry& MapObject::find_or_add(std::string_view key) {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key, KeyLess{});
  if (it != entries_.end() && it->key == key) return *it;
  return *entries_.insert(it, Entry{std::string(key), {}});
}

// Key iteration for KeyRange.
std::size_t map_next_visible(const MapObject* map, std::size_t from) {
  const auto& entries = map->entries();
  while (from < entries.size() && entries[from].values.empty()) ++from;
  return from;
}

std::string_view map_key_at(const MapObject* map, std::size_t index) {
  return map->entries()[index].key;
}

}  // namespace crdt::detail
