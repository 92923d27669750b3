// SHA-256 and zstd, the two external codecs the file format uses.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "crdt/types.hpp"

namespace crdt::detail {

ChangeHash sha256(std::span<const std::uint8_t> bytes);

// Appends the compressed form of `bytes` to `out`.
void zstd_compress(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out);
// None unless `bytes` is one zstd frame of exactly `expected_size` bytes.
std::optional<std::vector<std::uint8_t>> zstd_decompress(std::span<const std::uint8_t> bytes,
                                                         std::size_t expected_size);

}  // namespace crdt::detail
