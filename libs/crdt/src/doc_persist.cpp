// Saving and loading.
//
// A save is one document chunk (then any changes still waiting for their dependencies);
// incremental saves append change chunks. The document
// chunk's body is a flags word (1: the rest is zstd-compressed, after its uncompressed
// size) and:
//   actor table | heads (count, hashes) | history | state (see snapshot.cpp)
// The history stores each change by its fields, actors as table numbers and dependencies
// as distances back to earlier entries; loading rebuilds every change's canonical bytes
// and hash from them, so the hashes are checked, not trusted.
#include <algorithm>

#include "byte_io.hpp"
#include "digest.hpp"
#include "doc_impl.hpp"

namespace crdt {

namespace {

constexpr std::uint64_t kZstd = 1;
constexpr std::size_t kCompressThreshold = 256;

Error at_chunk(Error e, std::size_t index, std::size_t offset) {
  e.chunk_index = index;
  e.chunk_offset = offset;
  e.message =
      "chunk " + std::to_string(index) + " at byte " + std::to_string(offset) + ": " + e.message;
  return e;
}

Error malformed(std::string why) {
  return Error{ErrorCode::Malformed, std::move(why)};
}

}  // namespace

void Document::Impl::encode_history(std::vector<std::uint8_t>& out) const {
  detail::write_uleb(out, history_.size());
  std::vector<std::uint32_t> author(history_.size());
  for (std::uint32_t a = 0; a < by_actor_.size(); ++a) {
    for (std::uint32_t i : by_actor_[a]) author[i] = a;
  }
  for (std::size_t i = 0; i < history_.size(); ++i) {
    const auto& c = history_[i].data();
    detail::write_uleb(out, author[i] + 1);
    for (std::size_t k = 1; k < c.actors.size(); ++k) {
      detail::write_uleb(out, *find_actor(c.actors[k]) + 1);
    }
    detail::write_uleb(out, 0);  // ends the change's actor list (table numbers are +1)
    detail::write_uleb(out, c.seq);
    detail::write_uleb(out, c.start_op);
    detail::write_sleb(out, c.time);
    detail::write_prefixed(out, c.message);
    // In the change's own (hash) order, as the history keeps them.
    const auto& deps = history_deps_[i];
    detail::write_uleb(out, deps.size());
    for (std::uint32_t d : deps) detail::write_uleb(out, i - d);
    detail::write_uleb(out, c.op_count);
    for (std::size_t col = 0; col < detail::kColumnCount; ++col) {
      detail::write_prefixed(out, c.column(col));
    }
  }
}

Result<std::vector<Change>> Document::Impl::decode_history(
    detail::ByteReader& r, const std::vector<std::uint32_t>& actor_map) {
  std::uint64_t n;
  if (!r.uleb_at_most(n, r.remaining() / 16)) return malformed("bad change count");
  std::vector<Change> changes;
  changes.reserve(static_cast<std::size_t>(n));
  std::vector<ActorId> actors;
  std::vector<ChangeHash> deps;
  std::string_view message;
  std::array<std::span<const std::uint8_t>, detail::kColumnCount> columns;
  std::vector<std::uint8_t> body;
  for (std::uint64_t i = 0; i < n; ++i) {
    detail::ChangeHeader h;
    actors.clear();
    for (std::uint64_t a; r.uleb(a) && a != 0;) {
      if (a > actor_map.size() || actors.size() > r.remaining()) return malformed("bad actor");
      actors.push_back(actors_[actor_map[a - 1]]);
    }
    std::uint64_t ndeps;
    if (!r.ok() || actors.empty() || !r.uleb(h.seq) || !r.uleb(h.start_op) || !r.sleb(h.time) ||
        !r.prefixed(message) || !r.uleb_at_most(ndeps, i)) {
      return malformed("bad change " + std::to_string(i));
    }
    deps.clear();
    for (std::uint64_t d = 0; d < ndeps; ++d) {
      std::uint64_t back;
      if (!r.uleb(back) || back == 0 || back > i) return malformed("bad dependency");
      deps.push_back(changes[static_cast<std::size_t>(i - back)].hash());
    }
    if (!r.uleb_at_most(h.op_count, detail::kMaxOpsPerChange)) return malformed("bad op count");
    for (auto& col : columns) {
      if (!r.prefixed(col)) return malformed("bad column");
    }
    h.deps = deps;
    h.actors = actors;
    h.message = message;
    body.clear();
    detail::write_change_body(body, h, columns);
    // Every op is decoded once here, so that nothing malformed enters the history.
    auto data = detail::parse_change(detail::write_chunk(detail::ChunkType::Change, body));
    if (!data) {
      Error e = data.error();
      e.message = "change " + std::to_string(i) + ": " + e.message;
      return e;
    }
    changes.emplace_back(std::move(*data));
  }
  return changes;
}

std::vector<std::uint8_t> Document::Impl::save() {
  std::vector<std::uint8_t> inner;
  std::size_t estimate = objects_.size() * 32 + 1024;
  for (const Change& c : history_) estimate += c.bytes().size();
  inner.reserve(estimate);
  encode_actors(inner);
  auto head_hashes = heads();
  detail::write_uleb(inner, head_hashes.size());
  for (const ChangeHash& h : head_hashes) detail::write_bytes(inner, h.bytes);
  encode_history(inner);
  encode_objects(inner);

  std::vector<std::uint8_t> body;
  body.reserve(inner.size() + 16);
  if (inner.size() >= kCompressThreshold) {
    detail::write_uleb(body, kZstd);
    detail::write_uleb(body, inner.size());
    detail::zstd_compress(inner, body);
  } else {
    detail::write_uleb(body, 0);
    detail::write_bytes(body, inner);
  }
  saved_count_ = history_.size();
  auto out = detail::write_chunk(detail::ChunkType::Document, body);
  // Received changes still waiting for their dependencies follow as change chunks, so that
  // they are not lost; loading puts them back to wait.
  saved_waiting_.clear();
  for (const Change& c : waiting_) {
    detail::write_bytes(out, c.bytes());
    saved_waiting_.push_back(c.hash());
  }
  return out;
}

std::vector<std::uint8_t> Document::Impl::save_incremental() {
  std::vector<std::uint8_t> out;
  for (std::size_t i = saved_count_; i < history_.size(); ++i) {
    // A change saved while it waited is in the file already.
    auto was_saved = std::find(saved_waiting_.begin(), saved_waiting_.end(), history_[i].hash());
    if (was_saved != saved_waiting_.end()) {
      saved_waiting_.erase(was_saved);
      continue;
    }
    detail::write_bytes(out, history_[i].bytes());
  }
  saved_count_ = history_.size();
  for (const Change& c : waiting_) {
    if (std::find(saved_waiting_.begin(), saved_waiting_.end(), c.hash()) != saved_waiting_.end()) {
      continue;
    }
    detail::write_bytes(out, c.bytes());
    saved_waiting_.push_back(c.hash());
  }
  return out;
}

Status Document::Impl::load_document_chunk(std::span<const std::uint8_t> body) {
  detail::ByteReader r(body);
  std::uint64_t flags;
  if (!r.uleb(flags) || flags > kZstd) return malformed("bad document flags");
  std::optional<std::vector<std::uint8_t>> unpacked;
  std::span<const std::uint8_t> inner;
  if (flags != 0) {
    std::uint64_t size;
    if (!r.uleb(size)) return malformed("bad document length");
    std::span<const std::uint8_t> packed;
    r.take(r.remaining(), packed);
    unpacked = detail::zstd_decompress(packed, static_cast<std::size_t>(size));
    if (!unpacked) return malformed("document does not decompress");
    inner = *unpacked;
  } else {
    r.take(r.remaining(), inner);
  }

  // Into an empty document the saved state is taken as it is; otherwise the changes are
  // applied like any others.
  const bool fresh = history_.empty() && objects_.size() == 1 && root().map.entries().empty();
  detail::ByteReader in(inner);
  auto actor_map = decode_actors(in);
  if (!actor_map) return actor_map.error();
  std::uint64_t n;
  if (!in.uleb_at_most(n, in.remaining() / 32)) return malformed("bad heads");
  std::vector<ChangeHash> saved_heads(static_cast<std::size_t>(n));
  for (ChangeHash& h : saved_heads) {
    std::span<const std::uint8_t> raw;
    if (!in.take(32, raw)) return malformed("bad heads");
    std::copy(raw.begin(), raw.end(), h.bytes.begin());
  }
  auto changes = decode_history(in, *actor_map);
  if (!changes) return changes.error();
  for (const Change& c : *changes) {
    auto applied = try_apply(c, !fresh);
    if (!applied) return applied.error();
    if (*applied == Ready::Waiting) return malformed("a saved change's dependencies are missing");
  }
  if (fresh) {
    Status s = decode_objects(in, *actor_map);
    if (!s) return s;
    if (!in.at_end()) return malformed("trailing bytes in document");
  }

  // The saved heads must be exactly what the saved changes lead to.
  std::sort(saved_heads.begin(), saved_heads.end());
  std::unordered_map<ChangeHash, bool, detail::ChangeHashHash> is_dep;
  for (const Change& c : *changes) is_dep.emplace(c.hash(), false);
  for (const Change& c : *changes) {
    for (const ChangeHash& d : c.deps()) {
      if (auto it = is_dep.find(d); it != is_dep.end()) it->second = true;
    }
  }
  std::vector<ChangeHash> tips;
  for (const auto& [hash, dep] : is_dep) {
    if (!dep) tips.push_back(hash);
  }
  std::sort(tips.begin(), tips.end());
  if (tips != saved_heads) return Error{ErrorCode::BadHash, "saved heads do not match the changes"};
  return {};
}

Status Document::Impl::load_chunks(std::span<const std::uint8_t> bytes) {
  std::size_t offset = 0;
  std::size_t index = 0;
  std::vector<Change> pending;
  while (offset < bytes.size()) {
    auto chunk = detail::read_chunk(bytes.subspan(offset));
    if (!chunk) return at_chunk(chunk.error(), index, offset);
    if (chunk->type == detail::ChunkType::Document) {
      if (!pending.empty()) {
        Status s = apply_changes(pending);
        pending.clear();
        if (!s) return at_chunk(s.error(), index, offset);
      }
      Status s = load_document_chunk(chunk->body);
      if (!s) return at_chunk(s.error(), index, offset);
    } else {
      auto data = detail::parse_change(bytes.subspan(offset, chunk->size));
      if (!data) return at_chunk(data.error(), index, offset);
      pending.emplace_back(std::move(*data));
    }
    offset += chunk->size;
    ++index;
  }
  Status s = apply_changes(pending);
  if (!s) return at_chunk(s.error(), index - 1, offset);
  return {};
}

void Document::Impl::mark_saved() {
  saved_count_ = history_.size();
  saved_waiting_.clear();
  for (const Change& c : waiting_) saved_waiting_.push_back(c.hash());
}

}  // namespace crdt
