// The document state as saved beside the history, so that loading rebuilds objects and
// sequences directly instead of replaying every op.
//
//   [the actor table, written apart] max op | objects other than the root (count; type, id
//   each) | contents length (5-byte LEB128) | the root's content, then each object's content
//   in that order | map keys (count, prefixed strings; numbered in order of first use).
//   id: actor number, then the counter as a signed difference from the previous id's (the
//   object table and the contents are two separate chains).
//   map content: entry count; key number and values each.
//   sequence content: element count; when not zero, columns actor (RLE), counter (delta),
//   visible, complex (booleans), characters of the plain visible elements (UTF-8), then
//   the values of each complex element.
//   values: count; id, kind (0 scalar, 1 + ObjType) and for a scalar its metadata word and
//   raw bytes.
#include "byte_io.hpp"
#include "columns.hpp"
#include "doc_impl.hpp"

namespace crdt {

using detail::ByteReader;
using detail::Elem;
using detail::Object;
using detail::OpId;

namespace {

class StateWriter {
 public:
  explicit StateWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void id(OpId id) {
    detail::write_uleb(out_, id.actor);
    detail::write_sleb(out_, static_cast<std::int64_t>(id.counter - last_counter_));
    last_counter_ = id.counter;
  }

  void values(const detail::Conflicts& values) {
    detail::write_uleb(out_, values.size());
    for (const auto& v : values) {
      id(v.id);
      if (auto* ref = std::get_if<detail::ObjRef>(&v.value)) {
        out_.push_back(static_cast<std::uint8_t>(1 + static_cast<int>(ref->type)));
      } else {
        out_.push_back(0);
        scratch_.clear();
        detail::write_uleb(out_, detail::encode_value(std::get<ScalarValue>(v.value), scratch_));
        detail::write_bytes(out_, scratch_);
      }
    }
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::vector<std::uint8_t> scratch_;
  std::uint64_t last_counter_ = 0;
};

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
  detail::write_uleb(out, max_op_);
  // The table's ids and the contents' ids are separate difference chains.
  StateWriter table(out);
  detail::write_uleb(out, objects_.size() - 1);
  for (std::size_t i = 1; i < objects_.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(objects_[i].type));
    table.id(objects_[i].id);
  }
  // One pass over the objects (they are scattered in memory) writes their contents while
  // numbering the keys, which repeat across maps (every message has an "id"); the key
  // table follows, and the contents' length goes before them once known.
  constexpr std::size_t kLengthBytes = 5;
  const std::size_t length_at = out.size();
  out.resize(out.size() + kLengthBytes);
  std::vector<std::uint8_t>& content = out;
  std::unordered_map<std::string_view, std::uint32_t> key_numbers;
  std::vector<std::string_view> keys;
  StateWriter w(content);
  detail::RleEncoder<detail::UlebCodec> actor_col;
  detail::DeltaEncoder counter_col;
  detail::BoolEncoder visible_col, complex_col;
  std::string chars;
  std::vector<const detail::Conflicts*> complex;
  for (const Object& object : objects_) {
    const Object* obj = &object;
    if (obj->type == ObjType::Map) {
      detail::write_uleb(content, obj->map.size());
      for (const auto& e : obj->map.entries()) {
        if (e.values.empty()) continue;
        auto [it, added] = key_numbers.emplace(e.key, static_cast<std::uint32_t>(keys.size()));
        if (added) keys.push_back(e.key);
        detail::write_uleb(content, it->second);
        w.values(e.values);
      }
      continue;
    }
    const auto& seq = *obj->seq;
    detail::write_uleb(content, seq.tree.size());
    if (seq.tree.size() == 0) continue;
    chars.clear();
    complex.clear();
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
    actor_col.finish_prefixed(content);
    counter_col.finish_prefixed(content);
    visible_col.finish_prefixed(content);
    complex_col.finish_prefixed(content);
    detail::write_prefixed(content, chars);
    for (const auto* values : complex) w.values(*values);
  }
  std::uint64_t length = out.size() - length_at - kLengthBytes;
  for (std::size_t i = 0; i < kLengthBytes; ++i) {
    out[length_at + i] =
        static_cast<std::uint8_t>(((length >> (7 * i)) & 0x7f) | (i + 1 < kLengthBytes ? 0x80 : 0));
  }
  detail::write_uleb(out, keys.size());
  for (std::string_view k : keys) detail::write_prefixed(out, k);
}

namespace {

struct StateReader {
  ByteReader& r;
  const std::vector<std::uint32_t>& actor_map;
  std::uint64_t last_counter = 0;

  bool id(OpId& out) {
    std::uint64_t a;
    std::int64_t d;
    if (!r.uleb(a) || !r.sleb(d) || a >= actor_map.size()) return false;
    std::uint64_t c = last_counter + static_cast<std::uint64_t>(d);
    if (c == 0 || c > (std::uint64_t{1} << 62)) return false;
    last_counter = c;
    out = OpId{c, actor_map[a]};
    return true;
  }
};

}  // namespace

Status Document::Impl::decode_objects(ByteReader& r, const std::vector<std::uint32_t>& actor_map) {
  auto malformed = [](const char* why) { return Error{ErrorCode::Malformed, why}; };
  std::uint64_t n;
  StateReader table{r, actor_map};
  std::uint64_t max_op;
  if (!r.uleb(max_op) || max_op > (std::uint64_t{1} << 62)) return malformed("bad max op");
  max_op_ = std::max(max_op_, max_op);
  if (!r.uleb_at_most(n, r.remaining() / 3)) return malformed("bad object table");
  std::vector<Object*> listed{&objects_.front()};
  for (std::uint64_t i = 0; i < n; ++i) {
    std::uint8_t type;
    OpId id;
    if (!r.u8(type) || type > 2 || !table.id(id)) return malformed("bad object entry");
    if (object_at(id) != nullptr) return malformed("object listed twice");
    listed.push_back(create_object(id, static_cast<ObjType>(type)));
  }
  std::span<const std::uint8_t> contents;
  if (!r.prefixed(contents)) return malformed("bad contents");
  if (!r.uleb_at_most(n, r.remaining())) return malformed("bad key table");
  std::vector<std::string_view> keys(static_cast<std::size_t>(n));
  for (auto& k : keys) {
    if (!r.prefixed(k)) return malformed("bad key table");
  }
  // From here on, the contents.
  ByteReader body(contents);
  StateReader in{body, actor_map};

  auto read_values = [&](detail::Conflicts& values) -> bool {
    std::uint64_t count;
    if (!body.uleb_at_most(count, body.remaining() / 3)) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
      OpId id;
      std::uint8_t kind;
      if (!in.id(id) || !body.u8(kind) || kind > 3) return false;
      if (kind > 0) {
        Object* target = object_at(id);
        if (!target || target->type != static_cast<ObjType>(kind - 1)) return false;
        auto& v = values.emplace_back();
        v.id = id;
        v.value.emplace<detail::ObjRef>(detail::ObjRef{target->type, target});
        continue;
      }
      std::uint64_t meta;
      std::span<const std::uint8_t> raw;
      if (!body.uleb(meta) ||
          !body.take(static_cast<std::size_t>(std::min<std::uint64_t>(meta >> 4, SIZE_MAX)), raw)) {
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
  for (const Change& change : history_) element_budget += change.op_count();
  std::vector<Elem> elems;
  std::vector<char32_t> cps;
  for (Object* obj : listed) {
    if (obj->type == ObjType::Map) {
      if (!body.uleb_at_most(n, body.remaining())) return malformed("bad map");
      auto& entries = obj->map.entries();
      entries.reserve(static_cast<std::size_t>(n));
      for (std::uint64_t i = 0; i < n; ++i) {
        std::uint64_t key_number;
        if (!body.uleb(key_number) || key_number >= keys.size()) return malformed("bad map key");
        std::string_view key = keys[static_cast<std::size_t>(key_number)];
        if (!entries.empty() && !(entries.back().key < key))
          return malformed("map keys out of order");
        entries.emplace_back(key, detail::Conflicts{});
        if (!read_values(entries.back().values) || entries.back().values.empty()) {
          return malformed("bad map values");
        }
        obj->map.note_change(false, true);
      }
      continue;
    }
    std::uint64_t count;
    std::span<const std::uint8_t> actor_raw, counter_raw, visible_raw, complex_raw;
    std::string_view chars;
    if (!body.uleb_at_most(count, element_budget)) return malformed("bad sequence");
    if (count == 0) continue;
    if (!body.prefixed(actor_raw) || !body.prefixed(counter_raw) || !body.prefixed(visible_raw) ||
        !body.prefixed(complex_raw) || !body.prefixed(chars)) {
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
  if (!body.at_end()) return malformed("trailing bytes in contents");
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
