// Reading a list of records (messages, say) is a chain of dependent loads per record: the
// record's object, its entries, the objects they hold, their elements, the records in
// those. Each load waits for the one before, so a reader spends most of its time waiting
// on memory. While one record is read, the ones after it are fetched level by level, each
// level reachable from what an earlier step already brought in: the waits overlap instead
// of adding up. Prefetches never fault and never change anything; a wrong guess costs only
// bandwidth.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>

#include "objects.hpp"

namespace crdt::detail {

// How many values of one object are followed: a record rarely holds more objects than this,
// and a long nested list is better left to its own visit.
inline constexpr std::size_t kPrefetchFanOut = 12;
// Lines of one contiguous array fetched at once.
inline constexpr std::size_t kPrefetchLines = 24;

inline void prefetch_range(const void* begin, std::size_t bytes) {
  const auto* p = static_cast<const char*>(begin);
  bytes = std::min(bytes, kPrefetchLines * 64);
  for (std::size_t at = 0; at < bytes; at += 64) __builtin_prefetch(p + at);
  if (bytes) __builtin_prefetch(p + bytes - 1);
}

inline const Object* object_of(const Conflicts& values) {
  if (values.empty()) return nullptr;
  const auto* ref = std::get_if<ObjRef>(&values.back().value);
  return ref ? ref->object : nullptr;
}

// Level 0 fetches the object itself; level 1 what it points at (entries; first leaf,
// values and spelled text of a sequence); level 2 a sequence's first elements and the
// objects it holds; level k ≥ 2 the objects it holds at level k − 2. Level k assumes that
// level k − 1 ran a step earlier, so that what it reads is already near.
inline void prefetch_level(const Object* o, int level) {
  if (!o) return;
  if (level == 0) {
    prefetch_range(o, sizeof(Object));
    return;
  }
  auto children = [&](auto&& each) {
    std::size_t n = 0;
    if (o->type == ObjType::Map) {
      for (const auto& e : o->map.entries()) {
        if (n++ == kPrefetchFanOut) return;
        each(object_of(e.values));
      }
    } else {
      for (const auto& values : o->seq->complex) {
        if (n++ == kPrefetchFanOut) return;
        each(object_of(values));
      }
    }
  };
  // An empty sequence has nothing beyond its object that a reader would reach.
  if (o->type != ObjType::Map && o->seq->tree.visible() == 0) return;
  if (level == 1) {
    if (o->type == ObjType::Map) {
      const auto& entries = o->map.entries();
      prefetch_range(entries.data(), entries.size() * sizeof(entries[0]));
    } else {
      const SeqObject& seq = *o->seq;
      __builtin_prefetch(seq.tree.first_leaf());
      prefetch_range(seq.complex.data(),
                     std::min(seq.complex.size(), kPrefetchFanOut) * sizeof(Conflicts));
      if (seq.text_edits == seq.tree.edits()) prefetch_range(seq.text.data(), seq.text.size());
    }
    return;
  }
  if (level == 2 && o->type != ObjType::Map) {
    const SeqTree::Leaf* leaf = o->seq->tree.first_leaf();
    prefetch_range(leaf->elems.get(), leaf->n * sizeof(Elem));
  }
  children([&](const Object* child) { prefetch_level(child, level - 2); });
}

// Runs ahead of a walk over the objects of a list: push each object kLevels steps before it
// is visited (null for elements that are not objects).
class RecordPrefetcher {
 public:
  // Objects, their entries, the objects those hold and what these point at: one level more
  // (a record's nested records) costs more to reach than it saves.
  static constexpr int kLevels = 4;

  void push(const Object* upcoming) {
    for (int k = kLevels - 1; k > 0; --k) ahead_[k] = ahead_[k - 1];
    ahead_[0] = upcoming;
    for (int k = 0; k < kLevels; ++k) prefetch_level(ahead_[k], k);
  }

 private:
  std::array<const Object*, kLevels> ahead_{};  // [0]: furthest ahead
};

}  // namespace crdt::detail
