// Open-addressing map from element id to the leaf that holds it. Ids are never removed.
#pragma once

#include <cstdint>
#include <vector>

#include "ops.hpp"

namespace crdt::detail {

template <class V>
class IdIndex {
 public:
  void clear() {
    slots_.clear();
    size_ = 0;
  }
  bool empty() const { return size_ == 0; }

  void set(OpId id, V value) {
    if ((size_ + 1) * 2 > slots_.size()) grow();
    Slot& s = probe(id);
    if (s.id.counter == 0) {
      s.id = id;
      ++size_;
    }
    s.value = value;
  }

  V get(OpId id, V missing) const {
    if (slots_.empty()) return missing;
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = home(id) & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.id.counter == 0) return missing;
      if (s.id == id) return s.value;
    }
  }

 private:
  struct Slot {
    OpId id;  // counter 0: empty
    V value{};
  };

  // Runs of 16 consecutive counters of one actor share neighbouring slots: ids made
  // together (a message and its lists) are usually looked up together, and then cost one
  // cache miss instead of one each. The runs themselves are scattered by a hash.
  static std::size_t home(OpId id) {
    return OpIdHash{}(OpId{id.counter >> 4, id.actor}) * 16 + (id.counter & 15);
  }

  Slot& probe(OpId id) {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = home(id) & mask;; i = (i + 1) & mask) {
      Slot& s = slots_[i];
      if (s.id.counter == 0 || s.id == id) return s;
    }
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    for (const Slot& s : old) {
      if (s.id.counter != 0) probe(s.id) = s;
    }
  }

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

}  // namespace crdt::detail
