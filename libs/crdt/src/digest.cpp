#include "digest.hpp"

#include <sodium.h>
#include <zlib.h>

namespace crdt::detail {

ChangeHash sha256(std::span<const std::uint8_t> bytes) {
  ChangeHash out;
  crypto_hash_sha256(out.bytes.data(), bytes.data(), bytes.size());
  return out;
}

std::vector<std::uint8_t> deflate_bytes(std::span<const std::uint8_t> bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<std::uint8_t> out(size);
  if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 1) != Z_OK) {
    return {};
  }
  out.resize(size);
  return out;
}

std::optional<std::vector<std::uint8_t>> inflate_bytes(std::span<const std::uint8_t> bytes,
                                                       std::size_t expected_size) {
  // Deflate cannot expand more than about 1032:1; a larger claim is a lie.
  if (expected_size > bytes.size() * 1032 + 1024) return std::nullopt;
  std::vector<std::uint8_t> out(expected_size);
  uLongf size = static_cast<uLongf>(expected_size);
  uLong in_size = static_cast<uLong>(bytes.size());
  int rc = uncompress2(out.data(), &size, bytes.data(), &in_size);
  if (rc != Z_OK || size != expected_size || in_size != bytes.size()) return std::nullopt;
  return out;
}

}  // namespace crdt::detail
