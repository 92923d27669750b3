#include "seq_tree.hpp"

#include <algorithm>
#include <vector>

namespace crdt::detail {

namespace {

std::uint32_t visible_in(const SeqTree::Leaf& leaf, std::uint32_t from, std::uint32_t to) {
  std::uint32_t v = 0;
  for (std::uint32_t i = from; i < to; ++i) v += leaf.elems[i].visible();
  return v;
}

}  // namespace

SeqTree::SeqTree() {
  auto leaf = std::make_unique<Leaf>();
  leaf->is_leaf = true;
  first_ = last_ = leaf.get();
  root_ = std::move(leaf);
}

SeqTree::~SeqTree() = default;
SeqTree::SeqTree(SeqTree&&) noexcept = default;
SeqTree& SeqTree::operator=(SeqTree&&) noexcept = default;

SeqTree::Cursor SeqTree::find_visible(std::size_t index) const {
  if (hint_.leaf) {
    if (index == hint_index_) return hint_;
    if (index == hint_index_ + 1) {
      // The next visible element, scanning at most the rest of this leaf and one more:
      // past a longer run of tombstones the descent is cheaper.
      Leaf* leaf = hint_.leaf;
      std::uint32_t from = hint_.slot + 1;
      for (int leaves = 0; leaves < 2 && leaf; ++leaves, leaf = leaf->next, from = 0) {
        for (std::uint32_t i = from; i < leaf->n; ++i) {
          if (leaf->elems[i].visible()) {
            hint_ = {leaf, i};
            hint_index_ = index;
            return hint_;
          }
        }
      }
    }
  }
  Cursor found = descend_visible(index);
  if (found.slot < found.leaf->n) {
    hint_ = found;
    hint_index_ = index;
  }
  return found;
}

SeqTree::Cursor SeqTree::descend_visible(std::size_t index) const {
  const Base* node = root_.get();
  while (!node->is_leaf) {
    const Node* inner = static_cast<const Node*>(node);
    std::uint32_t k = 0;
    while (k + 1 < inner->n && index >= inner->visible[k]) {
      index -= inner->visible[k];
      ++k;
    }
    node = inner->child[k].get();
  }
  Leaf* leaf = const_cast<Leaf*>(static_cast<const Leaf*>(node));
  for (std::uint32_t i = 0; i < leaf->n; ++i) {
    if (leaf->elems[i].visible()) {
      if (index == 0) return {leaf, i};
      --index;
    }
  }
  return {leaf, leaf->n};  // index out of range: callers check first
}

SeqTree::Cursor SeqTree::find_id(OpId id) {
  if (!indexed_) {
    indexed_ = true;
    for (Leaf* l = first_; l; l = l->next) index_leaf(l);
  }
  Leaf* leaf = index_.get(id, nullptr);
  if (!leaf) return {};
  for (std::uint32_t i = 0; i < leaf->n; ++i) {
    if (leaf->elems[i].counter == id.counter && leaf->elems[i].actor == id.actor) return {leaf, i};
  }
  return {};
}

std::uint32_t SeqTree::child_slot(const Node* parent, const Base* child) {
  for (std::uint32_t i = 0; i < parent->n; ++i) {
    if (parent->child[i].get() == child) return i;
  }
  return parent->n;  // unreachable for a consistent tree
}

void SeqTree::index_leaf(Leaf* leaf) {
  for (std::uint32_t i = 0; i < leaf->n; ++i) index_.set(leaf->elems[i].id(), leaf);
}

void SeqTree::add_counts(Base* from, std::int32_t total, std::int32_t visible) {
  total_ += total;
  visible_ += visible;
  Base* child = from;
  for (Node* p = child->parent; p; child = p, p = p->parent) {
    std::uint32_t k = child_slot(p, child);
    p->total[k] += total;
    p->visible[k] += visible;
  }
}

// Places `child` right after `after` under the same parent, splitting full nodes upward.
// Only structure changes here; the caller recomputes the counts of every node in `dirty`.
void SeqTree::insert_child(Base* after, std::unique_ptr<Base> child, std::vector<Base*>& dirty) {
  Node* parent = after->parent;
  if (!parent) {
    auto root = std::make_unique<Node>();
    Node* r = root.get();
    r->n = 2;
    root_->parent = r;
    child->parent = r;
    r->child[0] = std::move(root_);
    r->child[1] = std::move(child);
    root_ = std::move(root);
    return;
  }
  std::uint32_t k = child_slot(parent, after);
  if (parent->n == kNodeCap) {
    auto right = std::make_unique<Node>();
    Node* right_raw = right.get();
    constexpr std::uint32_t half = kNodeCap / 2;
    for (std::uint32_t i = half; i < kNodeCap; ++i) {
      std::uint32_t j = i - half;
      right->total[j] = parent->total[i];
      right->visible[j] = parent->visible[i];
      right->child[j] = std::move(parent->child[i]);
      right->child[j]->parent = right_raw;
    }
    right->n = kNodeCap - half;
    parent->n = half;
    dirty.push_back(right_raw);
    dirty.push_back(parent);
    insert_child(parent, std::move(right), dirty);
    if (k >= half) {
      parent = right_raw;
      k -= half;
    }
  }
  for (std::uint32_t i = parent->n; i > k + 1; --i) {
    parent->total[i] = parent->total[i - 1];
    parent->visible[i] = parent->visible[i - 1];
    parent->child[i] = std::move(parent->child[i - 1]);
  }
  child->parent = parent;
  parent->total[k + 1] = 0;
  parent->visible[k + 1] = 0;
  parent->child[k + 1] = std::move(child);
  ++parent->n;
}

void SeqTree::recount_up(Base* from) {
  for (Base* c = from; c->parent; c = c->parent) {
    Node* p = c->parent;
    std::uint32_t k = child_slot(p, c);
    std::uint32_t t = 0, v = 0;
    if (c->is_leaf) {
      const Leaf* l = static_cast<const Leaf*>(c);
      t = l->n;
      v = visible_in(*l, 0, l->n);
    } else {
      const Node* n = static_cast<const Node*>(c);
      for (std::uint32_t i = 0; i < n->n; ++i) {
        t += n->total[i];
        v += n->visible[i];
      }
    }
    p->total[k] = t;
    p->visible[k] = v;
  }
}

SeqTree::Leaf* SeqTree::split_leaf(Leaf* leaf) {
  auto right = std::make_unique<Leaf>();
  right->is_leaf = true;
  std::uint32_t half = leaf->n / 2;
  right->reserve(kLeafCap);  // a leaf that splits is in a long sequence: full size at once
  std::copy(leaf->elems.get() + half, leaf->elems.get() + leaf->n, right->elems.get());
  right->n = leaf->n - half;
  leaf->n = half;
  right->next = leaf->next;
  right->prev = leaf;
  if (leaf->next) leaf->next->prev = right.get();
  leaf->next = right.get();
  if (last_ == leaf) last_ = right.get();
  Leaf* raw = right.get();
  std::vector<Base*> dirty{leaf, raw};
  insert_child(leaf, std::move(right), dirty);
  for (Base* d : dirty) recount_up(d);
  if (indexed_) index_leaf(raw);
  return raw;
}

SeqTree::Cursor SeqTree::insert(Cursor at, Elem e) {
  forget_hint();
  ++edits_;
  Leaf* leaf = at.leaf;
  std::uint32_t slot = at.slot;
  if (leaf->n == kLeafCap) {
    Leaf* right = split_leaf(leaf);
    if (slot > leaf->n) {
      slot -= leaf->n;
      leaf = right;
    }
  }
  leaf->reserve(leaf->n + 1);
  std::copy_backward(leaf->elems.get() + slot, leaf->elems.get() + leaf->n,
                     leaf->elems.get() + leaf->n + 1);
  leaf->elems[slot] = e;
  ++leaf->n;
  add_counts(leaf, 1, e.visible() ? 1 : 0);
  if (indexed_) index_.set(e.id(), leaf);
  return {leaf, slot};
}

void SeqTree::assign(std::span<const Elem> elems) {
  constexpr std::uint32_t leaf_fill = kLeafCap * 3 / 4;
  constexpr std::uint32_t node_fill = kNodeCap * 3 / 4;
  const std::uint64_t edits = edits_;
  *this = SeqTree();  // drops the hint too
  edits_ = edits + 1;
  if (elems.empty()) return;
  index_.clear();
  indexed_ = false;
  struct Built {
    std::unique_ptr<Base> node;
    std::uint32_t total, visible;
  };
  std::vector<Built> level;
  Leaf* prev = nullptr;
  for (std::size_t at = 0; at < elems.size(); at += leaf_fill) {
    auto leaf = std::make_unique<Leaf>();
    leaf->is_leaf = true;
    auto count = static_cast<std::uint32_t>(std::min<std::size_t>(leaf_fill, elems.size() - at));
    leaf->reserve(count);
    leaf->n = count;
    std::copy_n(elems.begin() + static_cast<std::ptrdiff_t>(at), count, leaf->elems.get());
    leaf->prev = prev;
    if (prev) prev->next = leaf.get();
    prev = leaf.get();
    std::uint32_t vis = visible_in(*leaf, 0, leaf->n);
    visible_ += vis;
    level.push_back({std::move(leaf), prev->n, vis});
  }
  total_ = elems.size();
  first_ = static_cast<Leaf*>(level.front().node.get());
  last_ = prev;
  while (level.size() > 1) {
    std::vector<Built> up;
    for (std::size_t at = 0; at < level.size(); at += node_fill) {
      auto node = std::make_unique<Node>();
      std::uint32_t t = 0, v = 0;
      std::size_t end = std::min(level.size(), at + node_fill);
      for (std::size_t i = at; i < end; ++i) {
        std::uint32_t k = node->n++;
        node->total[k] = level[i].total;
        node->visible[k] = level[i].visible;
        t += level[i].total;
        v += level[i].visible;
        level[i].node->parent = node.get();
        node->child[k] = std::move(level[i].node);
      }
      up.push_back({std::move(node), t, v});
    }
    level = std::move(up);
  }
  root_ = std::move(level.front().node);
}

void SeqTree::set_bits(Cursor at, std::uint32_t bits) {
  Elem& e = at.elem();
  bool was = e.visible();
  e.bits = bits;
  ++edits_;  // the values behind a complex element may have changed too
  bool now = e.visible();
  if (was != now) {
    forget_hint();
    add_counts(at.leaf, 0, now ? 1 : -1);
  }
}

}  // namespace crdt::detail
