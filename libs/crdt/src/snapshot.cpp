// The document state as saved beside the history, so that loading rebuilds objects and
// sequences directly instead of replaying every op.
//
//   [actors (count, prefixed bytes), kept apart] max op | objects other than the root (count; type,
//   actor, counter each) | the root's content, then each object's content in that order.
//   map content: entry count; key, values each.
//   sequence content: element count; columns actor (RLE), counter (delta), visible, complex
//   (booleans), characters of the plain visible elements (UTF-8); values of each complex one.
//   values: count; actor, counter, kind (0 scalar, 1 + ObjType) and for a scalar its
//   metadata word and raw bytes.
#include "byte_io.hpp"
#include "columns.hpp"
#include "doc_impl.hpp"

namespace crdt {

using detail::ByteReader;
using detail::Elem;
using detail::Object;
using detail::OpId;

namespace {

void write_values(std::vector<std::uint8_t>& out, const detail::Conflicts& values,
                  std::vector<std::uint8_t>& scratch) {
  detail::write_uleb(out, values.size());
  for (const auto& v : values) {
    detail::write_uleb(out, v.id.actor);
    detail::write_uleb(out, v.id.counter);
    if (auto* t = std::get_if<ObjType>(&v.value)) {
      out.push_back(static_cast<std::uint8_t>(1 + static_cast<int>(*t)));
    } else {
      out.push_back(0);
      scratch.clear();
      detail::write_uleb(out, detail::encode_value(std::get<ScalarValue>(v.value), scratch));
      detail::write_bytes(out, scratch);
    }
  }
}

}  // namespace

void Document::Impl::encode_actors(std::vector<std::uint8_t>& out) const {
  detail::write_uleb(out, actors_.size());
  for (const ActorId& a : actors_) detail::write_prefixed(out, a.bytes());
}

Result<std::vector<std::uint32_t>> Document::Impl::decode_actors(ByteReader& r) {
  std::uint64_t n;
  if (!r.uleb_at_most(n, r.remaining() / 2)) return Error{ErrorCode::Malformed, "bad actor table"};
  std::vector<std::uint32_t> actor_map;
  for (std::uint64_t i = 0; i < n; ++i) {
    std::span<const std::uint8_t> raw;
    if (!r.prefixed(raw)) return Error{ErrorCode::Malformed, "bad actor table"};
    auto actor = ActorId::from_bytes(raw);
    if (!actor) return Error{ErrorCode::Malformed, "bad actor id"};
    actor_map.push_back(intern_actor(*actor));
  }
  return actor_map;
}

void Document::Impl::encode_objects(std::vector<std::uint8_t>& out) const {
  std::vector<std::uint8_t> scratch;
  detail::write_uleb(out, max_op_);
  detail::write_uleb(out, objects_.size() - 1);
  for (std::size_t i = 1; i < objects_.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(objects_[i]->type));
    detail::write_uleb(out, objects_[i]->id.actor);
    detail::write_uleb(out, objects_[i]->id.counter);
  }
  for (const auto& obj : objects_) {
    if (obj->type == ObjType::Map) {
      const auto& entries = obj->map->entries();
      std::size_t live = 0;
      for (const auto& e : entries) live += !e.values.empty();
      detail::write_uleb(out, live);
      for (const auto& e : entries) {
        if (e.values.empty()) continue;
        detail::write_prefixed(out, e.key);
        write_values(out, e.values, scratch);
      }
      continue;
    }
    const auto& seq = *obj->seq;
    detail::RleEncoder<detail::UlebCodec> actor_col;
    detail::DeltaEncoder counter_col;
    detail::BoolEncoder visible_col, complex_col;
    std::string chars;
    std::vector<const detail::Conflicts*> complex;
    for (const auto* leaf = seq.tree.first_leaf(); leaf; leaf = leaf->next) {
      for (std::uint32_t i = 0; i < leaf->n; ++i) {
        const Elem& e = leaf->elems[i];
        actor_col.append(std::uint64_t{e.actor});
        counter_col.append(static_cast<std::int64_t>(e.counter));
        visible_col.append(e.visible());
        complex_col.append(e.complex());
        if (e.complex()) {
          complex.push_back(&seq.complex[e.payload()]);
        } else if (e.visible()) {
          detail::append_utf8(chars, static_cast<char32_t>(e.payload()));
        }
      }
    }
    detail::write_uleb(out, seq.tree.size());
    detail::write_prefixed(out, actor_col.finish());
    detail::write_prefixed(out, counter_col.finish());
    detail::write_prefixed(out, visible_col.finish());
    detail::write_prefixed(out, complex_col.finish());
    detail::write_prefixed(out, chars);
    for (const auto* values : complex) write_values(out, *values, scratch);
  }
}

namespace {

struct StateReader {
  ByteReader& r;
  const std::vector<std::uint32_t>& actor_map;

  bool id(OpId& out) {
    std::uint64_t a, c;
    if (!r.uleb(a) || !r.uleb(c) || a >= actor_map.size() || c == 0) return false;
    out = OpId{c, actor_map[a]};
    return true;
  }
};

}  // namespace

Status Document::Impl::decode_objects(ByteReader& r, const std::vector<std::uint32_t>& actor_map) {
  auto malformed = [](const char* why) { return Error{ErrorCode::Malformed, why}; };
  std::uint64_t n;
  StateReader in{r, actor_map};
  std::uint64_t max_op;
  if (!r.uleb(max_op) || max_op > (std::uint64_t{1} << 62)) return malformed("bad max op");
  max_op_ = std::max(max_op_, max_op);

  if (!r.uleb_at_most(n, r.remaining() / 3)) return malformed("bad object table");
  std::vector<Object*> listed{objects_.front().get()};
  for (std::uint64_t i = 0; i < n; ++i) {
    std::uint8_t type;
    OpId id;
    if (!r.u8(type) || type > 2 || !in.id(id)) return malformed("bad object entry");
    if (object_at(id) != nullptr) return malformed("object listed twice");
    listed.push_back(create_object(id, static_cast<ObjType>(type)));
  }

  auto read_values = [&](detail::Conflicts& values) -> bool {
    std::uint64_t count;
    if (!r.uleb_at_most(count, r.remaining() / 3)) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
      OpId id;
      std::uint8_t kind;
      if (!in.id(id) || !r.u8(kind) || kind > 3) return false;
      if (kind > 0) {
        const Object* target = object_at(id);
        if (!target || target->type != static_cast<ObjType>(kind - 1)) return false;
        auto& v = values.emplace_back();
        v.id = id;
        v.value.emplace<ObjType>(static_cast<ObjType>(kind - 1));
        continue;
      }
      std::uint64_t meta;
      std::span<const std::uint8_t> raw;
      if (!r.uleb(meta) ||
          !r.take(static_cast<std::size_t>(std::min<std::uint64_t>(meta >> 4, SIZE_MAX)), raw)) {
        return false;
      }
      std::uint64_t code = meta & 15;
      if (code > 9 && code != 15) return false;
      detail::ValueRef ref{static_cast<detail::ValueCode>(code), raw};
      if (!detail::valid_value(ref)) return false;
      auto& v = values.emplace_back();
      v.id = id;
      v.value.emplace<ScalarValue>(detail::decode_value(ref));
    }
    // Kept ascending by op id, as every replica orders them.
    auto ord = order();
    for (std::size_t i = 1; i < values.size(); ++i) {
      if (!ord.less(values[i - 1].id, values[i].id)) return false;
    }
    return true;
  };

  // Every element was made by an op of the history.
  std::uint64_t element_budget = 0;
  for (const Change& c : history_) element_budget += c.op_count();
  std::vector<Elem> elems;
  std::vector<char32_t> cps;
  for (Object* obj : listed) {
    if (obj->type == ObjType::Map) {
      if (!r.uleb_at_most(n, r.remaining())) return malformed("bad map");
      auto& entries = obj->map->entries();
      entries.reserve(static_cast<std::size_t>(n));
      for (std::uint64_t i = 0; i < n; ++i) {
        std::string_view key;
        if (!r.prefixed(key)) return malformed("bad map key");
        if (!entries.empty() && !(entries.back().key < key))
          return malformed("map keys out of order");
        entries.push_back({std::string(key), {}});
        if (!read_values(entries.back().values) || entries.back().values.empty()) {
          return malformed("bad map values");
        }
        obj->map->note_change(false, true);
      }
      continue;
    }
    std::uint64_t count;
    std::span<const std::uint8_t> actor_raw, counter_raw, visible_raw, complex_raw;
    std::string_view chars;
    if (!r.uleb_at_most(count, element_budget) || !r.prefixed(actor_raw) ||
        !r.prefixed(counter_raw) || !r.prefixed(visible_raw) || !r.prefixed(complex_raw) ||
        !r.prefixed(chars)) {
      return malformed("bad sequence");
    }
    cps.clear();
    if (!detail::decode_utf8(chars, cps)) return malformed("bad sequence text");
    detail::RleDecoder<detail::UlebCodec> actors(actor_raw);
    detail::DeltaDecoder counters(counter_raw);
    detail::BoolDecoder visible(visible_raw), complex(complex_raw);
    elems.clear();
    std::size_t next_cp = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
      std::uint64_t a;
      std::int64_t c;
      bool vis, cx;
      if (!actors.next_value(a) || !counters.next_value(c) || !visible.next(vis) ||
          !complex.next(cx) || a >= actor_map.size() || c <= 0) {
        return malformed("bad sequence columns");
      }
      Elem e{static_cast<std::uint64_t>(c), actor_map[a], vis ? Elem::kVisible : 0u};
      if (cx) {
        e.bits |= Elem::kComplex | static_cast<std::uint32_t>(obj->seq->complex.size());
        obj->seq->complex.emplace_back();
        if (!read_values(obj->seq->complex.back())) return malformed("bad element values");
        if (vis == obj->seq->complex.back().empty()) return malformed("element visibility");
      } else if (vis) {
        if (next_cp >= cps.size()) return malformed("sequence text too short");
        e.bits |= static_cast<std::uint32_t>(cps[next_cp++]);
      }
      elems.push_back(e);
    }
    if (!actors.done() || !counters.done() || !visible.done() || !complex.done() ||
        next_cp != cps.size()) {
      return malformed("sequence columns do not match");
    }
    element_budget -= count;
    obj->seq->tree.assign(elems);
  }
  return {};
}

}  // namespace crdt

namespace crdt {

void Document::Impl::copy_into(Impl& other) const {
  for (const Change& c : history_) (void)other.try_apply(c, false);
  std::vector<std::uint8_t> state;
  encode_actors(state);
  encode_objects(state);
  detail::ByteReader r(state);
  // Our own encoding: cannot fail.
  auto actor_map = other.decode_actors(r);
  if (actor_map) (void)other.decode_objects(r, *actor_map);
  other.saved_count_ = 0;
}

}  // namespace crdt
