// Chunk framing shared by changes and saved documents:
//   magic "VKDC" | checksum (4) | version (1) | type (1) | body length (uleb) | body
// The checksum is the first 4 bytes of the SHA-256 of everything after it; for a change
// that SHA-256 is the change's hash.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "crdt/types.hpp"

namespace crdt::detail {

inline constexpr std::uint8_t kFormatVersion = 1;

enum class ChunkType : std::uint8_t { Document = 1, Change = 2 };

struct ChunkView {
  ChunkType type;
  std::span<const std::uint8_t> body;
  std::size_t size;  // whole chunk, header included
  ChangeHash hash;
};

// Frames `body`; returns the chunk and its hash.
std::vector<std::uint8_t> write_chunk(ChunkType type, std::span<const std::uint8_t> body,
                                      ChangeHash* hash_out = nullptr);

// Parses the chunk at the start of `bytes`. Errors carry no chunk index (the caller knows it).
Result<ChunkView> read_chunk(std::span<const std::uint8_t> bytes);

}  // namespace crdt::detail
