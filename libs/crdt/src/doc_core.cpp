// Actors, objects, reads of stored values, and committing the open transaction.
#include <chrono>

#include "doc_impl.hpp"

namespace crdt {

using detail::Elem;
using detail::Object;
using detail::OpId;

namespace detail {

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool decode_utf8(std::string_view text, std::vector<char32_t>& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    unsigned char c = *p;
    if (c < 0x80) {
      out.push_back(c);
      ++p;
      continue;
    }
    int len;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (end - p < len) return false;
    for (int i = 1; i < len; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    out.push_back(cp);
    p += len;
  }
  return true;
}

}  // namespace detail

Document::Impl::Impl(ActorId actor) : self_actor_(actor) {
  self_ = intern_actor(actor);
  objects_.emplace_back().type = ObjType::Map;
}

std::uint32_t Document::Impl::intern_actor(const ActorId& actor) {
  auto [it, added] = actor_index_.emplace(actor, static_cast<std::uint32_t>(actors_.size()));
  if (added) {
    actors_.push_back(actor);
    by_actor_.emplace_back();
  }
  return it->second;
}

std::optional<std::uint32_t> Document::Impl::find_actor(const ActorId& actor) const {
  auto it = actor_index_.find(actor);
  if (it == actor_index_.end()) return std::nullopt;
  return it->second;
}

Status Document::Impl::set_actor(ActorId actor) {
  if (actor.empty()) return Error{ErrorCode::InvalidActor, "actor id is empty"};
  commit({}, std::nullopt);
  self_ = intern_actor(actor);
  self_actor_ = actor;
  return {};
}

Object* Document::Impl::find_object(const ObjId& id) const {
  if (id.is_root()) return const_cast<Object*>(&objects_.front());
  CachedObject& slot = object_cache_[id.counter % kObjectCacheSize];
  if (slot.counter == id.counter && slot.actor == id.actor) return slot.object;
  auto actor = find_actor(id.actor);
  if (!actor) return nullptr;
  Object* found = object_at(OpId{id.counter, *actor});
  if (found) slot = CachedObject{id.counter, id.actor, found};
  return found;
}

void Document::Impl::remember_object(const ObjId& id, OpId op) const {
  CachedObject& slot = object_cache_[id.counter % kObjectCacheSize];
  if (slot.counter == id.counter && slot.actor == id.actor) return;
  if (Object* found = object_at(op)) slot = CachedObject{id.counter, id.actor, found};
}

Object* Document::Impl::object_at(OpId id) const {
  if (id.counter == 0) return const_cast<Object*>(&objects_.front());
  return object_index_.get(id, nullptr);
}

Object* Document::Impl::create_object(OpId id, ObjType type) {
  Object& obj = objects_.emplace_back();
  obj.type = type;
  obj.id = id;
  if (type != ObjType::Map) obj.seq.emplace();
  object_index_.set(id, &obj);
  object_cache_[id.counter % kObjectCacheSize] = CachedObject{};
  return &obj;
}

ObjId Document::Impl::public_id(OpId id) const {
  if (id.counter == 0) return ROOT;
  return ObjId{id.counter, actors_[id.actor]};
}

std::optional<ValueAndId> Document::Impl::read(const detail::ValueOp& op) const {
  if (auto* ref = std::get_if<detail::ObjRef>(&op.value)) {
    ObjId id = public_id(op.id);
    remember_object(id, op.id);
    return std::optional<ValueAndId>(std::in_place, Value(ref->type), std::move(id));
  }
  return std::optional<ValueAndId>(std::in_place, Value(std::get<ScalarValue>(op.value)),
                                   public_id(op.id));
}

std::optional<ValueAndId> Document::Impl::read_elem(const Object& seq,
                                                    detail::SeqTree::Cursor at) const {
  const Elem& e = at.elem();
  if (!e.complex()) {
    std::string s;
    detail::append_utf8(s, static_cast<char32_t>(e.payload()));
    return ValueAndId{Value(ScalarValue(std::move(s))), public_id(e.id())};
  }
  const auto& values = seq.seq->complex[e.payload()];
  if (values.empty()) return std::nullopt;
  return read(values.back());
}

void Document::Impl::read_all(const detail::Conflicts& values, std::vector<ValueAndId>& out) const {
  for (const auto& v : values) out.push_back(*read(v));
}

const std::string& Document::Impl::spelled_text(const Object& text) const {
  const detail::SeqObject& seq = *text.seq;
  if (seq.text_edits != seq.tree.edits()) {
    seq.text = spell_text(text);
    seq.text_edits = seq.tree.edits();
  }
  return seq.text;
}

std::string Document::Impl::spell_text(const Object& text) const {
  std::string out;
  out.reserve(text.seq->tree.visible());
  for (const auto* leaf = text.seq->tree.first_leaf(); leaf; leaf = leaf->next) {
    for (std::uint32_t i = 0; i < leaf->n; ++i) {
      const Elem& e = leaf->elems[i];
      if (!e.visible()) continue;
      if (!e.complex()) {
        detail::append_utf8(out, static_cast<char32_t>(e.payload()));
        continue;
      }
      const auto& values = text.seq->complex[e.payload()];
      const auto* s = values.empty() ? nullptr : std::get_if<ScalarValue>(&values.back().value);
      const auto* str = s ? std::get_if<std::string>(&s->content) : nullptr;
      if (str) {
        out += *str;
      } else {
        detail::append_utf8(out, U'\uFFFC');  // an object or non-text value in the text
      }
    }
  }
  return out;
}

OpId Document::Impl::next_op_id() {
  if (!txn_open_) {
    txn_.begin(self_);
    txn_open_ = true;
    txn_start_ = max_op_ + 1;
  }
  return OpId{++max_op_, self_};
}

std::optional<ChangeHash> Document::Impl::commit(std::string message,
                                                 std::optional<std::int64_t> time) {
  if (!txn_open_) return std::nullopt;
  txn_open_ = false;
  if (txn_.op_count() == 0) return std::nullopt;
  std::int64_t when = time.value_or(std::chrono::duration_cast<std::chrono::seconds>(
                                        std::chrono::system_clock::now().time_since_epoch())
                                        .count());
  auto data = txn_.finish(actors_, heads(), by_actor_[self_].size() + 1, txn_start_, when,
                          std::move(message));
  Change change(std::move(data));
  record(change, self_);
  return change.hash();
}

}  // namespace crdt
