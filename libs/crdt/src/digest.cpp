#include "digest.hpp"

#include <sodium.h>
#include <zstd.h>

namespace crdt::detail {

ChangeHash sha256(std::span<const std::uint8_t> bytes) {
  ChangeHash out;
  crypto_hash_sha256(out.bytes.data(), bytes.data(), bytes.size());
  return out;
}

void zstd_compress(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out) {
  std::size_t at = out.size();
  out.resize(at + ZSTD_compressBound(bytes.size()));
  std::size_t size = ZSTD_compress(out.data() + at, out.size() - at, bytes.data(), bytes.size(), 1);
  // Level 1 on a buffer sized by the bound cannot fail short of memory.
  out.resize(ZSTD_isError(size) ? at : at + size);
}

std::optional<std::vector<std::uint8_t>> zstd_decompress(std::span<const std::uint8_t> bytes,
                                                         std::size_t expected_size) {
  // The frame states its size; believe it only within what a zstd frame can expand to
  // (one 128 KiB block per 3 input bytes at the most).
  unsigned long long claimed = ZSTD_getFrameContentSize(bytes.data(), bytes.size());
  if (claimed != expected_size) return std::nullopt;
  if (expected_size / (128 * 1024) > bytes.size() / 3 + 1) return std::nullopt;
  if (ZSTD_findFrameCompressedSize(bytes.data(), bytes.size()) != bytes.size()) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> out(expected_size);
  std::size_t size = ZSTD_decompress(out.data(), out.size(), bytes.data(), bytes.size());
  if (ZSTD_isError(size) || size != expected_size) return std::nullopt;
  return out;
}

}  // namespace crdt::detail
