// The elements of a list or text in document order, deleted ones included, in a B+tree
// whose nodes count total and visible elements: index lookups cost O(log n) whatever the
// number of tombstones. An id index (built on first use) finds elements by op id.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "id_index.hpp"
#include "ops.hpp"

namespace crdt::detail {

struct Elem {
  std::uint64_t counter = 0;
  std::uint32_t actor = 0;
  std::uint32_t bits = 0;  // kVisible | kComplex | payload

  static constexpr std::uint32_t kVisible = 1u << 31;
  static constexpr std::uint32_t kComplex = 1u << 30;
  static constexpr std::uint32_t kPayload = kComplex - 1;

  OpId id() const { return {counter, actor}; }
  bool visible() const { return bits & kVisible; }
  bool complex() const { return bits & kComplex; }
  std::uint32_t payload() const { return bits & kPayload; }
};

class SeqTree {
 public:
  static constexpr std::uint32_t kLeafCap = 64;
  static constexpr std::uint32_t kNodeCap = 32;

  struct Node;
  struct Base {
    Node* parent = nullptr;
    bool is_leaf = false;
    virtual ~Base() = default;
  };
  struct Leaf : Base {
    std::uint32_t n = 0;
    std::uint32_t cap = 0;
    Leaf* next = nullptr;
    Leaf* prev = nullptr;
    // Grows on demand: most lists and texts in a document are short.
    std::unique_ptr<Elem[]> elems;

    void reserve(std::uint32_t want) {
      if (want <= cap) return;
      std::uint32_t grown = std::max<std::uint32_t>({want, 4, std::min(kLeafCap, cap * 2)});
      auto fresh = std::make_unique<Elem[]>(grown);
      std::copy_n(elems.get(), n, fresh.get());
      elems = std::move(fresh);
      cap = grown;
    }
  };
  struct Node : Base {
    std::uint32_t n = 0;
    std::array<std::uint32_t, kNodeCap> total{};
    std::array<std::uint32_t, kNodeCap> visible{};
    std::array<std::unique_ptr<Base>, kNodeCap> child;
  };

  // A position: before elems[slot] of leaf (slot == n: after the leaf's last element).
  struct Cursor {
    Leaf* leaf = nullptr;
    std::uint32_t slot = 0;
    Elem& elem() const { return leaf->elems[slot]; }
  };

  SeqTree();
  ~SeqTree();
  SeqTree(SeqTree&&) noexcept;
  SeqTree& operator=(SeqTree&&) noexcept;

  std::size_t size() const { return total_; }
  std::size_t visible() const { return visible_; }
  // Grows with every change of content: an unchanged count means unchanged elements.
  std::uint64_t edits() const { return edits_; }

  Leaf* first_leaf() const { return first_; }
  Cursor begin() const { return {first_, 0}; }
  // The index-th visible element; index < visible(). Reading index i+1 right after i
  // (the usual walk over a list) steps from the previous answer instead of descending.
  Cursor find_visible(std::size_t index) const;
  // Where an element id sits; leaf null when unknown.
  Cursor find_id(OpId id);

  // Inserts before `at`; returns the element's position.
  Cursor insert(Cursor at, Elem e);
  // Replaces the whole content with `elems` (in order), packing nodes with room to grow.
  void assign(std::span<const Elem> elems);
  // Changes an element's bits, keeping the counts right.
  void set_bits(Cursor at, std::uint32_t bits);

  // The position after `at`'s element, crossing leaves (end stays at the last leaf).
  static Cursor next(Cursor at) {
    ++at.slot;
    if (at.slot >= at.leaf->n && at.leaf->next) return {at.leaf->next, 0};
    return at;
  }
  static bool at_end(Cursor at) { return at.slot >= at.leaf->n; }

 private:
  void add_counts(Base* from, std::int32_t total, std::int32_t visible);
  Leaf* split_leaf(Leaf* leaf);
  void insert_child(Base* after, std::unique_ptr<Base> child, std::vector<Base*>& dirty);
  void recount_up(Base* from);
  static std::uint32_t child_slot(const Node* parent, const Base* child);
  void index_leaf(Leaf* leaf);
  Cursor descend_visible(std::size_t index) const;
  // Any change of structure or visibility moves elements' visible indices.
  void forget_hint() { hint_.leaf = nullptr; }

  std::unique_ptr<Base> root_;
  Leaf* first_ = nullptr;
  Leaf* last_ = nullptr;
  std::size_t total_ = 0;
  std::size_t visible_ = 0;
  std::uint64_t edits_ = 0;
  IdIndex<Leaf*> index_;
  bool indexed_ = false;
  // The last find_visible answer (leaf null: none).
  mutable Cursor hint_;
  mutable std::size_t hint_index_ = 0;
};

}  // namespace crdt::detail
