// History bookkeeping and the application of changes from other replicas.
#include <algorithm>

#include "doc_impl.hpp"

namespace crdt {

using detail::Action;
using detail::Conflicts;
using detail::DecodedOp;
using detail::Elem;
using detail::Object;
using detail::OpId;
using detail::SeqTree;
using detail::ValueOp;

std::vector<ChangeHash> Document::Impl::heads() const {
  std::vector<ChangeHash> out;
  out.reserve(heads_.size());
  for (std::uint32_t i : heads_) out.push_back(history_[i].hash());
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<Change> Document::Impl::changes_since(std::span<const ChangeHash> since) const {
  std::vector<bool> known(history_.size(), false);
  std::vector<std::uint32_t> stack;
  for (const ChangeHash& h : since) {
    if (auto i = by_hash_.find(h)) stack.push_back(*i);
  }
  while (!stack.empty()) {
    std::uint32_t i = stack.back();
    stack.pop_back();
    if (known[i]) continue;
    known[i] = true;
    for (std::uint32_t d : history_deps_[i]) {
      if (!known[d]) stack.push_back(d);
    }
  }
  std::vector<Change> out;
  for (std::size_t i = 0; i < history_.size(); ++i) {
    if (!known[i]) out.push_back(history_[i]);
  }
  return out;
}

std::optional<Change> Document::Impl::change_by_hash(const ChangeHash& hash) const {
  auto i = by_hash_.find(hash);
  if (!i) return std::nullopt;
  return history_[*i];
}

std::vector<ChangeHash> Document::Impl::missing_deps() const {
  std::vector<ChangeHash> out;
  for (const Change& c : waiting_) {
    for (const ChangeHash& d : c.deps()) {
      bool waiting_has = std::any_of(waiting_.begin(), waiting_.end(),
                                     [&](const Change& w) { return w.hash() == d; });
      if (!by_hash_.contains(d) && !waiting_has) out.push_back(d);
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

void Document::Impl::record(const Change& change, std::uint32_t actor) {
  auto index = static_cast<std::uint32_t>(history_.size());
  std::vector<std::uint32_t> deps;
  deps.reserve(change.deps().size());
  for (const ChangeHash& d : change.deps()) deps.push_back(*by_hash_.find(d));
  std::erase_if(heads_, [&](std::uint32_t h) {
    return std::find(deps.begin(), deps.end(), h) != deps.end();
  });
  heads_.push_back(index);
  history_.push_back(change);
  history_deps_.push_back(std::move(deps));
  by_hash_.add(change.hash(), index);
  by_actor_[actor].push_back(index);
}

Status Document::Impl::check_sequence(const detail::ChangeData& data, std::uint32_t actor) const {
  const auto& mine = by_actor_[actor];
  if (data.seq != mine.size() + 1) {
    return Error{ErrorCode::InvalidChange, data.seq <= mine.size()
                                               ? "sequence number reused by a different change"
                                               : "an earlier change of the actor is missing"};
  }
  if (!mine.empty()) {
    const auto& prev = history_[mine.back()].data();
    if (data.start_op < prev.start_op + prev.op_count) {
      return Error{ErrorCode::InvalidChange, "op counters overlap the actor's previous change"};
    }
  }
  return {};
}

Result<Document::Impl::Ready> Document::Impl::try_apply(const Change& change, bool apply) {
  if (by_hash_.contains(change.hash())) return Ready::Duplicate;
  for (const ChangeHash& d : change.deps()) {
    if (!by_hash_.contains(d)) return Ready::Waiting;
  }
  const auto& data = change.data();
  std::optional<std::uint32_t> known = find_actor(data.actors[0]);
  std::uint32_t actor = known ? *known : intern_actor(data.actors[0]);
  Status seq_ok = check_sequence(data, actor);
  if (!seq_ok) return seq_ok.error();
  if (apply) {
    apply_ops(data);
  } else if (data.op_count > 0) {
    max_op_ = std::max(max_op_, data.start_op + data.op_count - 1);
  }
  record(change, actor);
  return Ready::Applied;
}

void Document::Impl::drain_waiting(Status& status) {
  bool progress = true;
  while (progress && !waiting_.empty()) {
    progress = false;
    for (std::size_t i = 0; i < waiting_.size();) {
      auto r = try_apply(waiting_[i]);
      if (r && *r == Ready::Waiting) {
        ++i;
        continue;
      }
      if (!r && status) status = r.error();
      if (r && *r == Ready::Applied) progress = true;
      waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

Status Document::Impl::apply_changes(std::span<const Change> changes) {
  Status status;
  for (const Change& c : changes) {
    auto r = try_apply(c);
    if (!r) {
      if (status) status = r.error();
      continue;
    }
    if (*r == Ready::Waiting) {
      bool already = std::any_of(waiting_.begin(), waiting_.end(),
                                 [&](const Change& w) { return w.hash() == c.hash(); });
      if (!already) waiting_.push_back(c);
    } else if (*r == Ready::Applied && !waiting_.empty()) {
      drain_waiting(status);
    }
  }
  return status;
}

// ---- applying ops

void Document::Impl::apply_ops(const detail::ChangeData& data) {
  std::vector<std::uint32_t> actor_map;
  actor_map.reserve(data.actors.size());
  for (const ActorId& a : data.actors) actor_map.push_back(intern_actor(a));
  detail::ChangeOpReader reader(data);
  DecodedOp op;
  while (reader.next(op)) {
    op.id.actor = actor_map[0];
    op.obj.actor = actor_map[op.obj.actor];
    if (!op.map_key) op.elem.actor = actor_map[op.elem.actor];
    for (OpId& p : op.pred) p.actor = actor_map[p.actor];
    apply_op(op);
  }
  if (data.op_count > 0) max_op_ = std::max(max_op_, data.start_op + data.op_count - 1);
}

// Ops that make no sense here (unknown object, wrong kind) are skipped: every replica
// skips them alike, so they still converge.
void Document::Impl::apply_op(DecodedOp& op) {
  Object* obj = object_at(op.obj);
  if (!obj) return;
  if (op.map_key) {
    if (obj->type == ObjType::Map) apply_map_op(*obj, op);
  } else if (obj->type != ObjType::Map) {
    apply_seq_op(*obj, op);
  }
}

namespace {

detail::Stored stored_value(const DecodedOp& op, Object* made) {
  if (made) return detail::ObjRef{made->type, made};
  return detail::decode_value(op.value);
}

}  // namespace

void Document::Impl::apply_to_values(Conflicts& values, DecodedOp& op) {
  switch (op.action) {
    case Action::Delete:
      detail::remove_preds(values, op.pred);
      return;
    case Action::Increment: {
      std::int64_t by = detail::decode_increment(op.value);
      for (ValueOp& v : values) {
        auto* s = std::get_if<ScalarValue>(&v.value);
        auto* c = s ? std::get_if<Counter>(&s->content) : nullptr;
        if (c && std::find(op.pred.begin(), op.pred.end(), v.id) != op.pred.end()) {
          c->value = static_cast<std::int64_t>(static_cast<std::uint64_t>(c->value) +
                                               static_cast<std::uint64_t>(by));
        }
      }
      return;
    }
    default: {
      auto made = detail::made_type(op.action);
      if (made && object_at(op.id)) return;  // an object id used twice: malformed
      detail::remove_preds(values, op.pred);
      Object* object = made ? create_object(op.id, *made) : nullptr;
      detail::insert_sorted(values, ValueOp{op.id, stored_value(op, object)}, order());
    }
  }
}

void Document::Impl::apply_map_op(Object& obj, DecodedOp& op) {
  auto& entry = obj.map.find_or_add(op.key);
  bool was = !entry.values.empty();
  apply_to_values(entry.values, op);
  obj.map.note_change(was, !entry.values.empty());
}

void Document::Impl::apply_seq_op(Object& obj, DecodedOp& op) {
  SeqTree& tree = obj.seq->tree;
  if (op.insert) {
    SeqTree::Cursor at = tree.begin();
    if (op.elem.counter != 0) {
      at = tree.find_id(op.elem);
      if (!at.leaf) return;
      at = SeqTree::next(at);
    }
    // Concurrent inserts at the same place: the greater op id goes first.
    detail::OpOrder ord = order();
    while (!SeqTree::at_end(at) && ord.less(op.id, at.elem().id())) at = SeqTree::next(at);
    if (tree.find_id(op.id).leaf) return;  // an element id used twice: malformed

    if (obj.type == ObjType::Text && op.action == Action::Put &&
        op.value.code == detail::ValueCode::String) {
      std::vector<char32_t> cps;
      std::string_view s(reinterpret_cast<const char*>(op.value.raw.data()), op.value.raw.size());
      if (detail::decode_utf8(s, cps) && cps.size() == 1) {
        tree.insert(at, Elem{op.id.counter, op.id.actor,
                             Elem::kVisible | static_cast<std::uint32_t>(cps[0])});
        return;
      }
    }
    auto payload = static_cast<std::uint32_t>(obj.seq->complex.size());
    obj.seq->complex.emplace_back();
    op.pred.clear();
    apply_to_values(obj.seq->complex.back(), op);
    bool visible = !obj.seq->complex.back().empty();
    tree.insert(at, Elem{op.id.counter, op.id.actor,
                         (visible ? Elem::kVisible : 0u) | Elem::kComplex | payload});
    return;
  }

  SeqTree::Cursor at = tree.find_id(op.elem);
  if (!at.leaf) return;
  Elem e = at.elem();
  if (!e.complex()) {
    bool pred_hits = std::find(op.pred.begin(), op.pred.end(), e.id()) != op.pred.end();
    if (op.action == Action::Delete) {
      if (pred_hits) tree.set_bits(at, e.bits & ~Elem::kVisible);
      return;
    }
    if (op.action == Action::Increment) return;
    // An overwrite of a plain character: move it to the general form first.
    Conflicts values;
    if (e.visible()) {
      std::string s;
      detail::append_utf8(s, static_cast<char32_t>(e.payload()));
      values.push_back(ValueOp{e.id(), ScalarValue(std::move(s))});
    }
    e.bits = Elem::kComplex | static_cast<std::uint32_t>(obj.seq->complex.size());
    obj.seq->complex.push_back(std::move(values));
  }
  auto& values = obj.seq->complex[e.payload()];
  apply_to_values(values, op);
  std::uint32_t bits = (e.bits & ~Elem::kVisible) | (values.empty() ? 0u : Elem::kVisible);
  tree.set_bits(at, bits);
}

}  // namespace crdt
