// The live state of one document object. Only values still visible are kept: an
// overwritten or deleted value can never come back, so nothing later needs it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// Concurrent values of one key or element, ascending by op id (the winner last). Nearly
// always one value, which is kept inline to spare an allocation and a pointer chase.
class Conflicts {
 public:
  Conflicts() = default;
  explicit Conflicts(ValueOp op) : v_(std::in_place_type<ValueOp>, std::move(op)) {}

  bool empty() const { return size() == 0; }
  std::size_t size() const {
    switch (v_.index()) {
      case 0:
        return 0;
      case 1:
        return 1;
      default:
        return std::get<2>(v_).size();
    }
  }
  ValueOp* begin() { return const_cast<ValueOp*>(std::as_const(*this).begin()); }
  ValueOp* end() { return begin() + size(); }
  const ValueOp* begin() const {
    switch (v_.index()) {
      case 0:
        return nullptr;
      case 1:
        return &std::get<1>(v_);
      default:
        return std::get<2>(v_).data();
    }
  }
  const ValueOp* end() const { return begin() + size(); }
  ValueOp& back() { return end()[-1]; }
  const ValueOp& back() const { return end()[-1]; }
  const ValueOp& front() const { return *begin(); }
  const ValueOp& operator[](std::size_t i) const { return begin()[i]; }

  void clear() { v_.emplace<0>(); }
  ValueOp& emplace_back() {
    switch (v_.index()) {
      case 0:
        return v_.emplace<1>();
      case 1: {
        std::vector<ValueOp> many;
        many.reserve(2);
        many.push_back(std::move(std::get<1>(v_)));
        many.emplace_back();
        v_.emplace<2>(std::move(many));
        return std::get<2>(v_).back();
      }
      default:
        return std::get<2>(v_).emplace_back();
    }
  }
  void push_back(ValueOp op) { emplace_back() = std::move(op); }
  void insert_at(std::size_t index, ValueOp op) {
    emplace_back();
    ValueOp* p = begin();
    for (std::size_t i = size() - 1; i > index; --i) p[i] = std::move(p[i - 1]);
    p[index] = std::move(op);
  }
  // Removes the values whose ids are listed; true when any was.
  bool remove_ids(std::span<const OpId> ids) {
    std::size_t kept = 0, n = size();
    ValueOp* p = begin();
    for (std::size_t i = 0; i < n; ++i) {
      if (std::find(ids.begin(), ids.end(), p[i].id) != ids.end()) continue;
      if (kept != i) p[kept] = std::move(p[i]);
      ++kept;
    }
    if (kept == n) return false;
    if (kept == 0) {
      clear();
    } else if (v_.index() == 2) {
      std::get<2>(v_).resize(kept);
    }
    return true;
  }

 private:
  std::variant<std::monostate, ValueOp, std::vector<ValueOp>> v_;
};

// Removes the ops named in `pred`; true when anything was removed.
bool remove_preds(Conflicts& values, std::span<const OpId> pred);
void insert_sorted(Conflicts& values, ValueOp op, const OpOrder& order);

class MapObject {
 public:
  struct Entry {
    Entry(std::string_view k, Conflicts v) : key(k), values(std::move(v)), prefix(prefix_of(k)) {}

    std::string key;
    Conflicts values;
    // The key's first bytes, big-endian, zero-padded: orders like the key itself on all
    // but ties, so a search compares integers and the key bytes only at the end.
    std::uint64_t prefix;
  };

  static std::uint64_t prefix_of(std::string_view key) {
    std::uint64_t p = 0;
    std::size_t n = std::min<std::size_t>(key.size(), 8);
    for (std::size_t i = 0; i < n; ++i) p |= std::uint64_t(std::uint8_t(key[i])) << (56 - 8 * i);
    return p;
  }

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
  // A text's UTF-8 content as of `text_edits` edits of the tree. Texts are read on every
  // frame and rarely change; spelling them out again each time costs a walk over 16 bytes
  // per character.
  mutable std::string text;
  mutable std::uint64_t text_edits = UINT64_MAX;
};

struct Object {
  ObjType type = ObjType::Map;
  OpId id;
  MapObject map;                   // Map
  // Inline, not behind a pointer: a reader reaching a list pays one cache miss less, and
  // the objects of one message, made together, sit side by side.
  std::optional<SeqObject> seq;  // List, Text
};

}  // namespace crdt::detail
