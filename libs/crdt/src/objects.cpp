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

// The first entry whose key is not less than `key`.
template <class It>
It lower_bound_key(It first, It last, std::string_view key) {
  const std::uint64_t prefix = MapObject::prefix_of(key);
  auto less = [&](const MapObject::Entry& e) {
    if (e.prefix != prefix) return e.prefix < prefix;
    return std::string_view(e.key) < key;
  };
  std::size_t count = static_cast<std::size_t>(last - first);
  while (count > 0) {
    std::size_t half = count / 2;
    It mid = first + static_cast<std::ptrdiff_t>(half);
    if (less(*mid)) {
      first = mid + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

}  // namespace

MapObject::Entry* MapObject::find(std::string_view key) {
  auto it = lower_bound_key(entries_.begin(), entries_.end(), key);
  return it != entries_.end() && it->key == key ? &*it : nullptr;
}

const MapObject::Entry* MapObject::find(std::string_view key) const {
  return const_cast<MapObject*>(this)->find(key);
}

MapObject::Entry& MapObject::find_or_add(std::string_view key) {
  auto it = lower_bound_key(entries_.begin(), entries_.end(), key);
  if (it != entries_.end() && it->key == key) return *it;
  return *entries_.insert(it, Entry(key, {}));
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
