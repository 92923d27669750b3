// Shaped layouts by key, bounded by entry count and bytes. Eviction is least recently used,
// approximately: a clock hand sweeps the entries and spares those used since it last passed.
// A hit touches one table slot and one entry and relinks nothing, which matters when every
// frame looks up each row of a long conversation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vesk_ui/text_layout.hpp"

namespace vesk_ui::detail {

class LayoutCache {
 public:
  LayoutCache(std::size_t max_entries, std::size_t max_bytes)
      : max_entries_(max_entries), max_bytes_(max_bytes) {}

  // Marks the entry used.
  std::shared_ptr<const TextLayout> find(std::string_view key);
  // `key` must not be present. Evicts down to the bounds, but never the entry just added.
  void insert(std::string_view key, std::shared_ptr<const TextLayout> layout);
  std::size_t size() const { return live_; }

 private:
  struct Entry {
    std::string key;
    std::shared_ptr<const TextLayout> layout;  // null: a free entry
    std::uint64_t hash = 0;
    bool used = false;
  };
  // A table slot: the entry's index + 1 in the low half (0: empty), hash bits in the high half,
  // so that most mismatches are told apart without reading the entry.
  static std::uint64_t slot_for(std::uint64_t hash, std::uint32_t index) {
    return (hash & 0xFFFFFFFF00000000ull) | (std::uint64_t{index} + 1);
  }
  static std::uint32_t index_of(std::uint64_t slot) {
    return static_cast<std::uint32_t>(slot & 0xFFFFFFFFull) - 1;
  }
  static std::uint64_t bytes_of(const Entry& e) { return e.key.size() + e.layout->approx_bytes(); }

  void place(std::uint32_t index);
  void grow();
  void evict_one(std::uint32_t keep);
  void erase_from_table(std::uint32_t index);

  std::size_t max_entries_;
  std::size_t max_bytes_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> free_;
  std::vector<std::uint64_t> table_;  // open addressing, linear probing, at most half full
  std::size_t hand_ = 0;
  std::size_t live_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace vesk_ui::detail
