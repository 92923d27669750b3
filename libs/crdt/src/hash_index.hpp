// Open-addressing index from change hash to history position.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "crdt/types.hpp"

namespace crdt::detail {

class HashIndex {
 public:
  std::optional<std::uint32_t> find(const ChangeHash& hash) const {
    if (slots_.empty()) return std::nullopt;
    std::uint64_t key = key_of(hash);
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = key & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.position == 0) return std::nullopt;
      if (s.key == key && s.hash == hash) return s.position - 1;
    }
  }
  bool contains(const ChangeHash& hash) const { return find(hash).has_value(); }

  void add(const ChangeHash& hash, std::uint32_t position) {
    if ((size_ + 1) * 2 > slots_.size()) grow();
    place(Slot{key_of(hash), position + 1, hash});
    ++size_;
  }

 private:
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t position = 0;  // + 1; 0 marks an empty slot
    ChangeHash hash;
  };

  static std::uint64_t key_of(const ChangeHash& hash) {
    std::uint64_t k;
    std::memcpy(&k, hash.bytes.data(), sizeof k);  // already uniformly distributed
    return k;
  }

  void place(const Slot& slot) {
    std::size_t mask = slots_.size() - 1;
    std::size_t i = slot.key & mask;
    while (slots_[i].position != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    for (const Slot& s : old) {
      if (s.position != 0) place(s);
    }
  }

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

}  // namespace crdt::detail
