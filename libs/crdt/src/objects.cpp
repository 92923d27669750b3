#include "objects.hpp"

namespace crdt::detail {

bool remove_preds(Conflicts& values, std::span<const OpId> pred) {
  std::size_t before = values.size();
  std::erase_if(values, [&](const ValueOp& v) {
    return std::find(pred.begin(), pred.end(), v.id) != pred.end();
  });
  return values.size() != before;
}

void insert_sorted(Conflicts& values, ValueOp op, const OpOrder& order) {
  auto at = std::find_if(values.begin(), values.end(),
                         [&](const ValueOp& v) { return order.less(op.id, v.id); });
  values.insert(at, std::move(op));
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
