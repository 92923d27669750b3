// SHA-256 and deflate, the two external codecs the file format uses.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "crdt/types.hpp"

namespace crdt::detail {

ChangeHash sha256(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> deflate_bytes(std::span<const std::uint8_t> bytes);
// None unless `bytes` inflates to exactly `expected_size` bytes.
std::optional<std::vector<std::uint8_t>> inflate_bytes(std::span<const std::uint8_t> bytes,
                                                       std::size_t expected_size);

}  // namespace crdt::detail
