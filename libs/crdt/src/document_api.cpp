// The public Document operations: reads and local writes.
#include "doc_impl.hpp"
#include "prefetch.hpp"

namespace crdt {

using detail::Action;
using detail::Conflicts;
using detail::Elem;
using detail::Object;
using detail::OpId;
using detail::SeqTree;
using detail::ValueOp;

namespace {

Error no_object() {
  return Error{ErrorCode::NoSuchObject, "no such object"};
}
Error wrong_type(std::string_view what) {
  return Error{ErrorCode::WrongObjectType, std::string(what)};
}
Error out_of_range() {
  return Error{ErrorCode::IndexOutOfRange, "index out of range"};
}

bool is_seq(const Object& o) {
  return o.type != ObjType::Map;
}

std::vector<OpId> ids_of(const Conflicts& values) {
  std::vector<OpId> ids;
  ids.reserve(values.size());
  for (const auto& v : values) ids.push_back(v.id);
  return ids;
}

}  // namespace

Document::Document() : Document(ActorId::random()) {}
Document::Document(ActorId actor)
    : impl_(std::make_unique<Impl>(actor.empty() ? ActorId::random() : actor)) {}
Document::Document(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

// ---- reads

std::optional<ValueAndId> Document::get(const ObjId& obj, std::string_view key) const {
  const Object* o = impl_->find_object(obj);
  if (!o || o->type != ObjType::Map) return std::nullopt;
  const auto* e = o->map.find(key);
  if (!e || e->values.empty()) return std::nullopt;
  return impl_->read(e->values.back());
}

std::optional<ValueAndId> Document::get(const ObjId& obj, std::size_t index) const {
  const Object* o = impl_->find_object(obj);
  if (!o || !is_seq(*o) || index >= o->seq->tree.visible()) return std::nullopt;
  return impl_->read_elem(*o, o->seq->tree.find_visible(index));
}

std::vector<ValueAndId> Document::get_all(const ObjId& obj, std::string_view key) const {
  std::vector<ValueAndId> out;
  const Object* o = impl_->find_object(obj);
  if (!o || o->type != ObjType::Map) return out;
  if (const auto* e = o->map.find(key)) impl_->read_all(e->values, out);
  return out;
}

std::vector<ValueAndId> Document::get_all(const ObjId& obj, std::size_t index) const {
  std::vector<ValueAndId> out;
  const Object* o = impl_->find_object(obj);
  if (!o || !is_seq(*o) || index >= o->seq->tree.visible()) return out;
  auto at = o->seq->tree.find_visible(index);
  if (at.elem().complex()) {
    impl_->read_all(o->seq->complex[at.elem().payload()], out);
  } else if (auto v = impl_->read_elem(*o, at)) {
    out.push_back(std::move(*v));
  }
  return out;
}

KeyRange Document::keys(const ObjId& map) const {
  const Object* o = impl_->find_object(map);
  if (!o || o->type != ObjType::Map) return {};
  return KeyRange(&o->map, o->map.entries().size());
}

namespace {

std::size_t length_of(const Object* o) {
  if (!o) return 0;
  return o->type == ObjType::Map ? o->map.size() : o->seq->tree.visible();
}

bool is_text(const Object* o) {
  return o && o->type == ObjType::Text;
}

}  // namespace

std::size_t Document::length(const ObjId& obj) const {
  return length_of(impl_->find_object(obj));
}

std::optional<std::string> Document::text(const ObjId& obj) const {
  return text_of_object(impl_->find_object(obj));
}

std::optional<ObjType> Document::object_type(const ObjId& obj) const {
  const Object* o = impl_->find_object(obj);
  if (!o) return std::nullopt;
  return o->type;
}

ObjId ValueView::id() const {
  const Document::Impl& d = *doc_->impl_;
  OpId op{counter_, actor_};
  ObjId id = d.public_id(op);
  if (!scalar_) d.remember_object(id, op);
  return id;
}

const Object* Document::find(const ObjId& obj) const {
  return impl_->find_object(obj);
}

ValueView Document::view_of(const ValueOp& op) const {
  if (const auto* scalar = std::get_if<ScalarValue>(&op.value)) {
    return ValueView(this, scalar, nullptr, ObjType::Map, op.id.counter, op.id.actor);
  }
  const auto& ref = std::get<detail::ObjRef>(op.value);
  return ValueView(this, nullptr, ref.object, ref.type, op.id.counter, op.id.actor);
}

void Document::visit_entries(const Object* o, Visitor<std::string_view> visit) const {
  if (!o || o->type != ObjType::Map) return;
  for (const auto& e : o->map.entries()) {
    if (e.values.empty()) continue;
    visit.call(visit.context, e.key, view_of(e.values.back()));
  }
}

namespace {

// The visible elements of a list, in order, as the objects they hold (null for others): what
// the record prefetcher is fed, a fixed number of elements ahead of the visit.
class ObjectsAhead {
 public:
  explicit ObjectsAhead(const Object& list) : list_(list), leaf_(list.seq->tree.first_leaf()) {}

  // False at the end.
  bool next(const Object*& object) {
    for (; leaf_; leaf_ = leaf_->next, slot_ = 0) {
      while (slot_ < leaf_->n) {
        const Elem& e = leaf_->elems[slot_++];
        if (!e.visible()) continue;
        object = e.complex() ? detail::object_of(list_.seq->complex[e.payload()]) : nullptr;
        return true;
      }
    }
    return false;
  }

 private:
  const Object& list_;
  const SeqTree::Leaf* leaf_;
  std::uint32_t slot_ = 0;
};

}  // namespace

void Document::visit_elements(const Object* o, Visitor<std::size_t> visit,
                              ReadAhead read_ahead) const {
  if (!o || !is_seq(*o)) return;
  const bool records = read_ahead == ReadAhead::Records && o->type == ObjType::List;
  detail::RecordPrefetcher prefetcher;
  ObjectsAhead ahead(*o);
  auto run_ahead = [&] {
    const Object* upcoming = nullptr;
    prefetcher.push(ahead.next(upcoming) ? upcoming : nullptr);
  };
  if (records) {
    for (int k = 0; k < detail::RecordPrefetcher::kLevels; ++k) run_ahead();
  }
  std::size_t index = 0;
  ScalarValue character{std::string()};
  for (const auto* leaf = o->seq->tree.first_leaf(); leaf; leaf = leaf->next) {
    for (std::uint32_t i = 0; i < leaf->n; ++i) {
      const Elem& e = leaf->elems[i];
      if (!e.visible()) continue;
      if (records) run_ahead();
      if (!e.complex()) {
        auto& s = std::get<std::string>(character.content);
        s.clear();
        detail::append_utf8(s, static_cast<char32_t>(e.payload()));
        visit.call(visit.context, index++,
                   ValueView(this, &character, nullptr, ObjType::Map, e.counter, e.actor));
        continue;
      }
      const auto& values = o->seq->complex[e.payload()];
      if (values.empty()) {  // get finds nothing there either; the index still counts
        ++index;
        continue;
      }
      visit.call(visit.context, index++, view_of(values.back()));
    }
  }
}

std::optional<std::string> Document::text(const ValueView& text) const {
  return text_of_object(text.object_);
}

bool Document::copy_text(const ValueView& text, std::string& out) const {
  if (!is_text(text.object_)) return false;
  out.assign(impl_->spelled_text(*text.object_));
  return true;
}

std::optional<std::string> Document::text_of_object(const Object* o) const {
  if (!is_text(o)) return std::nullopt;
  return impl_->spelled_text(*o);
}

std::optional<ValueView> Document::lookup(const ValueView& map, std::string_view key) const {
  const Object* o = map.object_;
  if (!o || o->type != ObjType::Map) return std::nullopt;
  const auto* e = o->map.find(key);
  if (!e || e->values.empty()) return std::nullopt;
  return view_of(e->values.back());
}

std::size_t Document::length(const ValueView& obj) const {
  return length_of(obj.object_);
}

// ---- map writes

namespace {

// An object value is written with its object, made here under the op's id.
void link_new_object(Document::Impl& d, OpId id, detail::Stored& value) {
  if (auto* ref = std::get_if<detail::ObjRef>(&value)) ref->object = d.create_object(id, ref->type);
}

// Replaces the values of a map key with one new op; returns its id.
OpId write_map(Document::Impl& d, Object& map, std::string_view key, Action action,
               detail::Stored value) {
  auto& entry = map.map.find_or_add(key);
  std::vector<OpId> pred = ids_of(entry.values);
  OpId id = d.next_op_id();
  link_new_object(d, id, value);
  auto& raw = d.scratch();
  raw.clear();
  std::uint64_t meta = 0;
  if (auto* s = std::get_if<ScalarValue>(&value)) meta = detail::encode_value(*s, raw);
  d.txn().add(map.id, true, key, {}, false, action, meta, raw, pred);
  bool was = !entry.values.empty();
  entry.values.clear();
  entry.values.push_back(ValueOp{id, std::move(value)});
  map.map.note_change(was, true);
  return id;
}

// Replaces the values of a list element with one new op.
OpId write_elem(Document::Impl& d, Object& list, SeqTree::Cursor at, Action action,
                detail::Stored value) {
  Elem& e = at.elem();
  auto& values = list.seq->complex[e.payload()];
  std::vector<OpId> pred = ids_of(values);
  OpId id = d.next_op_id();
  link_new_object(d, id, value);
  auto& raw = d.scratch();
  raw.clear();
  std::uint64_t meta = 0;
  if (auto* s = std::get_if<ScalarValue>(&value)) meta = detail::encode_value(*s, raw);
  d.txn().add(list.id, false, {}, e.id(), false, action, meta, raw, pred);
  values.clear();
  values.push_back(ValueOp{id, std::move(value)});
  return id;
}

OpId insert_elem(Document::Impl& d, Object& list, std::size_t index, Action action,
                 detail::Stored value) {
  SeqTree& tree = list.seq->tree;
  SeqTree::Cursor at = tree.begin();
  OpId ref{};
  if (index > 0) {
    auto before = tree.find_visible(index - 1);
    ref = before.elem().id();
    at = {before.leaf, before.slot + 1};
  }
  OpId id = d.next_op_id();
  link_new_object(d, id, value);
  auto& raw = d.scratch();
  raw.clear();
  std::uint64_t meta = 0;
  if (auto* s = std::get_if<ScalarValue>(&value)) meta = detail::encode_value(*s, raw);
  d.txn().add(list.id, false, {}, ref, true, action, meta, raw, {});
  auto payload = static_cast<std::uint32_t>(list.seq->complex.size());
  list.seq->complex.push_back(Conflicts{ValueOp{id, std::move(value)}});
  tree.insert(at, Elem{id.counter, id.actor, Elem::kVisible | Elem::kComplex | payload});
  return id;
}

}  // namespace

Status Document::put(const ObjId& map, std::string_view key, ScalarValue value) {
  Object* o = impl_->find_object(map);
  if (!o) return no_object();
  if (o->type != ObjType::Map) return wrong_type("put by key needs a map");
  write_map(*impl_, *o, key, Action::Put, std::move(value));
  return {};
}

Result<ObjId> Document::put_object(const ObjId& map, std::string_view key, ObjType type) {
  Object* o = impl_->find_object(map);
  if (!o) return no_object();
  if (o->type != ObjType::Map) return wrong_type("put by key needs a map");
  OpId id = write_map(*impl_, *o, key, detail::make_action(type), detail::ObjRef{type});
  return impl_->public_id(id);
}

Status Document::remove(const ObjId& map, std::string_view key) {
  Object* o = impl_->find_object(map);
  if (!o) return no_object();
  if (o->type != ObjType::Map) return wrong_type("remove by key needs a map");
  auto* entry = o->map.find(key);
  if (!entry || entry->values.empty()) return {};
  std::vector<OpId> pred = ids_of(entry->values);
  impl_->next_op_id();
  impl_->txn().add(o->id, true, key, {}, false, Action::Delete, 0, {}, pred);
  entry->values.clear();
  o->map.note_change(true, false);
  return {};
}

Status Document::increment(const ObjId& map, std::string_view key, std::int64_t by) {
  Object* o = impl_->find_object(map);
  if (!o) return no_object();
  if (o->type != ObjType::Map) return wrong_type("increment by key needs a map");
  auto* entry = o->map.find(key);
  if (!entry || entry->values.empty()) return Error{ErrorCode::NotACounter, "no value"};
  auto counter_of = [](ValueOp& v) -> Counter* {
    auto* s = std::get_if<ScalarValue>(&v.value);
    return s ? std::get_if<Counter>(&s->content) : nullptr;
  };
  if (!counter_of(entry->values.back())) return Error{ErrorCode::NotACounter, "not a counter"};
  std::vector<OpId> pred;
  for (auto& v : entry->values) {
    if (counter_of(v)) pred.push_back(v.id);
  }
  impl_->next_op_id();
  auto& raw = impl_->scratch();
  raw.clear();
  std::uint64_t meta = detail::encode_value(ScalarValue(by), raw);
  impl_->txn().add(o->id, true, key, {}, false, Action::Increment, meta, raw, pred);
  for (auto& v : entry->values) {
    if (auto* c = counter_of(v)) c->value += by;
  }
  return {};
}

// ---- list and text writes

namespace {

Result<Object*> list_at(Document::Impl& d, const ObjId& list, std::size_t index,
                        std::size_t limit_extra) {
  Object* o = d.find_object(list);
  if (!o) return no_object();
  if (o->type != ObjType::List) return wrong_type("needs a list");
  if (index >= o->seq->tree.visible() + limit_extra) return out_of_range();
  return o;
}

}  // namespace

Status Document::put(const ObjId& list, std::size_t index, ScalarValue value) {
  auto o = list_at(*impl_, list, index, 0);
  if (!o) return o.error();
  write_elem(*impl_, **o, (*o)->seq->tree.find_visible(index), Action::Put, std::move(value));
  return {};
}

Result<ObjId> Document::put_object(const ObjId& list, std::size_t index, ObjType type) {
  auto o = list_at(*impl_, list, index, 0);
  if (!o) return o.error();
  OpId id = write_elem(*impl_, **o, (*o)->seq->tree.find_visible(index),
                       detail::make_action(type), detail::ObjRef{type});
  return impl_->public_id(id);
}

Status Document::insert(const ObjId& list, std::size_t index, ScalarValue value) {
  auto o = list_at(*impl_, list, index, 1);
  if (!o) return o.error();
  insert_elem(*impl_, **o, index, Action::Put, std::move(value));
  return {};
}

Result<ObjId> Document::insert_object(const ObjId& list, std::size_t index, ObjType type) {
  auto o = list_at(*impl_, list, index, 1);
  if (!o) return o.error();
  OpId id = insert_elem(*impl_, **o, index, detail::make_action(type), detail::ObjRef{type});
  return impl_->public_id(id);
}

Status Document::increment(const ObjId& list, std::size_t index, std::int64_t by) {
  auto o = list_at(*impl_, list, index, 0);
  if (!o) return o.error();
  auto at = (*o)->seq->tree.find_visible(index);
  auto& values = (*o)->seq->complex[at.elem().payload()];
  auto counter_of = [](ValueOp& v) -> Counter* {
    auto* s = std::get_if<ScalarValue>(&v.value);
    return s ? std::get_if<Counter>(&s->content) : nullptr;
  };
  if (!counter_of(values.back())) return Error{ErrorCode::NotACounter, "not a counter"};
  std::vector<OpId> pred;
  for (auto& v : values) {
    if (counter_of(v)) pred.push_back(v.id);
  }
  impl_->next_op_id();
  auto& raw = impl_->scratch();
  raw.clear();
  std::uint64_t meta = detail::encode_value(ScalarValue(by), raw);
  impl_->txn().add((*o)->id, false, {}, at.elem().id(), false, Action::Increment, meta, raw, pred);
  for (auto& v : values) {
    if (auto* c = counter_of(v)) c->value += by;
  }
  return {};
}

namespace {

void delete_elem(Document::Impl& d, Object& seq, SeqTree::Cursor at) {
  Elem& e = at.elem();
  if (e.complex()) {
    auto& values = seq.seq->complex[e.payload()];
    std::vector<OpId> pred = ids_of(values);
    d.next_op_id();
    d.txn().add(seq.id, false, {}, e.id(), false, Action::Delete, 0, {}, pred);
    values.clear();
  } else {
    OpId pred = e.id();
    d.next_op_id();
    d.txn().add(seq.id, false, {}, e.id(), false, Action::Delete, 0, {}, std::span(&pred, 1));
  }
  seq.seq->tree.set_bits(at, e.bits & ~Elem::kVisible);
}

}  // namespace

Status Document::remove(const ObjId& seq, std::size_t index) {
  Object* o = impl_->find_object(seq);
  if (!o) return no_object();
  if (!is_seq(*o)) return wrong_type("remove by index needs a list or text");
  if (index >= o->seq->tree.visible()) return out_of_range();
  delete_elem(*impl_, *o, o->seq->tree.find_visible(index));
  return {};
}

Status Document::splice_text(const ObjId& text_obj, std::size_t pos, std::size_t del,
                             std::string_view inserted) {
  Object* o = impl_->find_object(text_obj);
  if (!o) return no_object();
  if (o->type != ObjType::Text) return wrong_type("splice needs a text");
  SeqTree& tree = o->seq->tree;
  if (pos > tree.visible() || del > tree.visible() - pos) return out_of_range();
  std::vector<char32_t> cps;
  if (!detail::decode_utf8(inserted, cps)) return Error{ErrorCode::InvalidText, "invalid UTF-8"};
  for (std::size_t i = 0; i < del; ++i) delete_elem(*impl_, *o, tree.find_visible(pos));
  if (cps.empty()) return {};

  SeqTree::Cursor at = tree.begin();
  OpId ref{};
  if (pos > 0) {
    auto before = tree.find_visible(pos - 1);
    ref = before.elem().id();
    at = {before.leaf, before.slot + 1};
  }
  std::string utf8;
  for (char32_t cp : cps) {
    OpId id = impl_->next_op_id();
    utf8.clear();
    detail::append_utf8(utf8, cp);
    std::uint64_t meta =
        (std::uint64_t{utf8.size()} << 4) | static_cast<std::uint64_t>(detail::ValueCode::String);
    impl_->txn().add(o->id, false, {}, ref, true, Action::Put, meta,
                     std::span(reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()),
                     {});
    at = tree.insert(at,
                     Elem{id.counter, id.actor, Elem::kVisible | static_cast<std::uint32_t>(cp)});
    ++at.slot;
    ref = id;
  }
  return {};
}

// ---- changes, heads, replication, persistence

std::optional<ChangeHash> Document::commit(std::string message, std::optional<std::int64_t> time) {
  return impl_->commit(std::move(message), time);
}

std::size_t Document::pending_ops() const {
  return impl_->pending_ops();
}

std::vector<ChangeHash> Document::get_heads() {
  impl_->commit({}, std::nullopt);
  return impl_->heads();
}

const ActorId& Document::get_actor() const {
  return impl_->self_actor();
}

Status Document::set_actor(ActorId actor) {
  return impl_->set_actor(std::move(actor));
}

std::vector<Change> Document::get_changes(std::span<const ChangeHash> since) {
  impl_->commit({}, std::nullopt);
  return impl_->changes_since(since);
}

std::optional<Change> Document::get_change(const ChangeHash& hash) const {
  return impl_->change_by_hash(hash);
}

Status Document::apply_changes(std::span<const Change> changes) {
  impl_->commit({}, std::nullopt);
  return impl_->apply_changes(changes);
}

std::vector<ChangeHash> Document::missing_deps() const {
  return impl_->missing_deps();
}

Status Document::merge(Document& other) {
  if (&other == this) return {};
  impl_->commit({}, std::nullopt);
  other.impl_->commit({}, std::nullopt);
  auto heads = impl_->heads();
  auto changes = other.impl_->changes_since(heads);
  return impl_->apply_changes(changes);
}

Document Document::fork() {
  impl_->commit({}, std::nullopt);
  Document copy;
  impl_->copy_into(*copy.impl_);
  return copy;
}

Bytes Document::save() {
  impl_->commit({}, std::nullopt);
  return impl_->save();
}

Bytes Document::save_incremental() {
  impl_->commit({}, std::nullopt);
  return impl_->save_incremental();
}

Result<Document> Document::load(std::span<const std::uint8_t> bytes) {
  auto impl = std::make_unique<Impl>(ActorId::random());
  Status s = impl->load_chunks(bytes);
  if (!s) return s.error();
  impl->mark_saved();
  return Document(std::move(impl));
}

Status Document::load_incremental(std::span<const std::uint8_t> bytes) {
  impl_->commit({}, std::nullopt);
  if (impl_->history().empty() && impl_->root().map.entries().empty()) {
    // Nothing to lose: load aside and take the result only when it is whole.
    auto fresh = std::make_unique<Impl>(get_actor());
    Status s = fresh->load_chunks(bytes);
    if (s) impl_ = std::move(fresh);
    return s;
  }
  return impl_->load_chunks(bytes);
}

}  // namespace crdt
