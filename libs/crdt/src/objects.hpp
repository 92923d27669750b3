// The live state of one document object. Only values still visible are kept: an
// overwritten or deleted value can never come back, so nothing later needs it.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "crdt/document.hpp"
#include "ops.hpp"
#include "seq_tree.hpp"

namespace crdt::detail {

// Compares op ids the way every replica does: counter first, then actor bytes.
struct OpOrder {
  const std::vector<ActorId>* actors;
  bool less(OpId a, OpId b) const {
    if (a.counter != b.counter) return a.counter < b.counter;
    if (a.actor == b.actor) return false;
    return (*actors)[a.actor] < (*actors)[b.actor];
  }
};

// Concurrent values of one key or element, ascending by op id (the winner last).
using Conflicts = std::vector<ValueOp>;

// Removes the ops named in `pred`; true when anything was removed.
bool remove_preds(Conflicts& values, std::span<const OpId> pred);
void insert_sorted(Conflicts& values, ValueOp op, const OpOrder& order);

class MapObject {
 public:
  struct Entry {
    std::string key;
    Conflicts values;
  };

  // The entry of `key`, or null.
  Entry* find(std::string_view key);
  const Entry* find(std::string_view key) const;
  Entry& find_or_add(std::string_view key);
  // Call after changing an entry's values: keeps the visible count right.
  void note_change(bool was_visible, bool now_visible) {
    visible_count_ +=
        static_cast<std::ptrdiff_t>(now_visible) - static_cast<std::ptrdiff_t>(was_visible);
  }

  std::size_t size() const { return static_cast<std::size_t>(visible_count_); }
  const std::vector<Entry>& entries() const { return entries_; }
  std::vector<Entry>& entries() { return entries_; }

 private:
  std::vector<Entry> entries_;  // sorted bytewise by key
  std::ptrdiff_t visible_count_ = 0;
};

// A list or text. A text element that holds one code point from its insert and nothing
// else stores it in the element itself; anything else (objects, overwrites, conflicts)
// lives in `complex`, indexed by the element's payload.
struct SeqObject {
  SeqTree tree;
  std::vector<Conflicts> complex;
};

struct Object {
  ObjType type;
  OpId id;
  std::unique_ptr<MapObject> map;  // Map
  std::unique_ptr<SeqObject> seq;  // List, Text
};

}  // namespace crdt::detail
