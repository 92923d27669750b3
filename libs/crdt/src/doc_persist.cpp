// Saving and loading: a document chunk holding the whole history, then change chunks.
#include <algorithm>

#include "byte_io.hpp"
#include "digest.hpp"
#include "doc_impl.hpp"

namespace crdt {

namespace {

constexpr std::uint64_t kDeflated = 1;
constexpr std::size_t kDeflateThreshold = 256;

Error at_chunk(Error e, std::size_t index, std::size_t offset) {
  e.chunk_index = index;
  e.chunk_offset = offset;
  e.message =
      "chunk " + std::to_string(index) + " at byte " + std::to_string(offset) + ": " + e.message;
  return e;
}

}  // namespace

std::vector<std::uint8_t> Document::Impl::save() {
  std::vector<std::uint8_t> inner;
  auto head_hashes = heads();
  detail::write_uleb(inner, head_hashes.size());
  for (const ChangeHash& h : head_hashes) detail::write_bytes(inner, h.bytes);
  detail::write_uleb(inner, history_.size());
  for (const Change& c : history_) detail::write_prefixed(inner, c.bytes());

  std::vector<std::uint8_t> body;
  if (inner.size() >= kDeflateThreshold) {
    detail::write_uleb(body, kDeflated);
    detail::write_uleb(body, inner.size());
    detail::write_bytes(body, detail::deflate_bytes(inner));
  } else {
    detail::write_uleb(body, 0);
    detail::write_bytes(body, inner);
  }
  saved_count_ = history_.size();
  return detail::write_chunk(detail::ChunkType::Document, body);
}

std::vector<std::uint8_t> Document::Impl::save_incremental() {
  std::vector<std::uint8_t> out;
  for (std::size_t i = saved_count_; i < history_.size(); ++i) {
    detail::write_bytes(out, history_[i].bytes());
  }
  saved_count_ = history_.size();
  return out;
}

Status Document::Impl::load_document_chunk(std::span<const std::uint8_t> body) {
  auto malformed = [](std::string why) { return Error{ErrorCode::Malformed, std::move(why)}; };
  detail::ByteReader r(body);
  std::uint64_t flags;
  if (!r.uleb(flags) || (flags & ~kDeflated)) return malformed("bad document flags");
  std::optional<std::vector<std::uint8_t>> inflated;
  std::span<const std::uint8_t> inner;
  if (flags & kDeflated) {
    std::uint64_t size;
    if (!r.uleb(size)) return malformed("bad document length");
    std::span<const std::uint8_t> packed;
    r.take(r.remaining(), packed);
    inflated = detail::inflate_bytes(packed, static_cast<std::size_t>(size));
    if (!inflated) return malformed("document does not inflate");
    inner = *inflated;
  } else {
    r.take(r.remaining(), inner);
  }

  detail::ByteReader in(inner);
  std::uint64_t n;
  if (!in.uleb_at_most(n, in.remaining() / 32)) return malformed("bad heads");
  std::vector<ChangeHash> saved_heads(static_cast<std::size_t>(n));
  for (ChangeHash& h : saved_heads) {
    std::span<const std::uint8_t> raw;
    if (!in.take(32, raw)) return malformed("bad heads");
    std::copy(raw.begin(), raw.end(), h.bytes.begin());
  }
  if (!in.uleb_at_most(n, in.remaining())) return malformed("bad change count");
  std::vector<Change> changes;
  changes.reserve(static_cast<std::size_t>(n));
  for (std::uint64_t i = 0; i < n; ++i) {
    std::span<const std::uint8_t> raw;
    if (!in.prefixed(raw)) return malformed("bad change entry");
    auto data = detail::parse_change(raw);
    if (!data) {
      Error e = data.error();
      e.message = "change " + std::to_string(i) + ": " + e.message;
      if (e.code == ErrorCode::Truncated || e.code == ErrorCode::BadMagic) {
        e.code = ErrorCode::Malformed;
      }
      return e;
    }
    if ((*data)->bytes.size() != raw.size()) return malformed("change entry has trailing bytes");
    changes.emplace_back(std::move(*data));
  }
  if (!in.at_end()) return malformed("trailing bytes in document");
  for (const Change& c : changes) {
    auto r2 = try_apply(c);
    if (!r2) return r2.error();
    if (*r2 == Ready::Waiting) return malformed("a saved change's dependencies are missing");
  }
  auto now = heads();
  std::sort(saved_heads.begin(), saved_heads.end());
  if (now != saved_heads) return Error{ErrorCode::BadHash, "saved heads do not match the changes"};
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
  saved_count_ = history_.size();
  return {};
}

}  // namespace crdt
