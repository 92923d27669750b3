#include "vesk_ui/layout_cache.hpp"

#include <algorithm>
#include <functional>
#include <utility>

namespace vesk_ui::detail {

namespace {

std::uint64_t hash_key(std::string_view key) {
  return std::hash<std::string_view>{}(key);
}

}  // namespace

std::shared_ptr<const TextLayout> LayoutCache::find(std::string_view key) {
  if (table_.empty()) return nullptr;
  const std::uint64_t hash = hash_key(key);
  const std::uint64_t tag = hash & 0xFFFFFFFF00000000ull;
  const std::size_t mask = table_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const std::uint64_t slot = table_[i];
    if (slot == 0) return nullptr;
    if ((slot & 0xFFFFFFFF00000000ull) != tag) continue;
    Entry& e = entries_[index_of(slot)];
    if (e.hash == hash && e.key == key) {
      e.used = true;
      return e.layout;
    }
  }
}

void LayoutCache::insert(std::string_view key, std::shared_ptr<const TextLayout> layout) {
  std::uint32_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else {
    index = static_cast<std::uint32_t>(entries_.size());
    entries_.emplace_back();
  }
  Entry& e = entries_[index];
  e.key.assign(key);
  e.layout = std::move(layout);
  e.hash = hash_key(key);
  e.used = false;
  ++live_;
  bytes_ += bytes_of(e);
  if ((live_ + 1) * 2 > table_.size()) {
    grow();  // places every live entry, this one too
  } else {
    place(index);
  }
  while (live_ > 1 && (live_ > max_entries_ || bytes_ > max_bytes_)) evict_one(index);
}

void LayoutCache::place(std::uint32_t index) {
  const std::uint64_t hash = entries_[index].hash;
  const std::size_t mask = table_.size() - 1;
  std::size_t i = hash & mask;
  while (table_[i] != 0) i = (i + 1) & mask;
  table_[i] = slot_for(hash, index);
}

void LayoutCache::grow() {
  table_.assign(std::max<std::size_t>(64, table_.size() * 2), 0);
  for (std::uint32_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].layout) place(i);
  }
}

void LayoutCache::evict_one(std::uint32_t keep) {
  // Two passes at most: the first clears every used mark it meets.
  for (;;) {
    if (hand_ >= entries_.size()) hand_ = 0;
    Entry& e = entries_[hand_];
    const auto index = static_cast<std::uint32_t>(hand_++);
    if (!e.layout || index == keep) continue;
    if (e.used) {
      e.used = false;
      continue;
    }
    erase_from_table(index);
    bytes_ -= bytes_of(e);
    --live_;
    e.layout.reset();
    e.key = std::string();
    free_.push_back(index);
    return;
  }
}

// Removes the entry's slot and shifts later slots of the same probe run back, so that no
// lookup stops early at the hole.
void LayoutCache::erase_from_table(std::uint32_t index) {
  const std::size_t mask = table_.size() - 1;
  std::size_t hole = entries_[index].hash & mask;
  while (index_of(table_[hole]) != index) hole = (hole + 1) & mask;  // it is in its run
  for (std::size_t next = (hole + 1) & mask; table_[next] != 0; next = (next + 1) & mask) {
    const std::size_t home = entries_[index_of(table_[next])].hash & mask;
    // The slot at `next` may move into the hole unless its home lies cyclically in
    // (hole, next].
    const bool home_after_hole =
        hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (home_after_hole) continue;
    table_[hole] = table_[next];
    hole = next;
  }
  table_[hole] = 0;
}

}  // namespace vesk_ui::detail
