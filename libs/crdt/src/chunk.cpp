#include "chunk.hpp"

#include <algorithm>
#include <cstring>

#include "byte_io.hpp"
#include "digest.hpp"

namespace crdt::detail {

namespace {
constexpr std::uint8_t kMagic[4] = {'V', 'K', 'D', 'C'};
constexpr std::size_t kChecksumSize = 4;
}  // namespace

std::vector<std::uint8_t> write_chunk(ChunkType type, std::span<const std::uint8_t> body,
                                      ChangeHash* hash_out) {
  std::uint8_t header[32] = {
      kMagic[0], kMagic[1], kMagic[2], kMagic[3],      0,
      0,         0,         0,         kFormatVersion, static_cast<std::uint8_t>(type)};
  std::size_t header_size = 10;
  for (std::uint64_t v = body.size();; v >>= 7) {
    header[header_size++] = static_cast<std::uint8_t>((v & 0x7f) | (v >= 0x80 ? 0x80 : 0));
    if (v < 0x80) break;
  }
  std::vector<std::uint8_t> out(header_size + body.size());
  std::memcpy(out.data(), header, header_size);
  if (!body.empty()) std::memcpy(out.data() + header_size, body.data(), body.size());
  constexpr std::size_t hashed_from = sizeof(kMagic) + kChecksumSize;
  ChangeHash hash = sha256(std::span(out).subspan(hashed_from));
  std::memcpy(out.data() + sizeof(kMagic), hash.bytes.data(), kChecksumSize);
  if (hash_out) *hash_out = hash;
  return out;
}

Result<ChunkView> read_chunk(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t fixed = sizeof(kMagic) + kChecksumSize + 2;
  // Bytes that start like a chunk but stop early are a torn write; anything else is not ours.
  if (std::memcmp(bytes.data(), kMagic, std::min(bytes.size(), sizeof(kMagic))) != 0) {
    return Error{ErrorCode::BadMagic, "not a document chunk"};
  }
  if (bytes.size() < sizeof(kMagic)) {
    return Error{ErrorCode::Truncated, "input ends inside a chunk header"};
  }
  if (bytes.size() < fixed) return Error{ErrorCode::Truncated, "input ends inside a chunk header"};
  std::uint8_t version = bytes[sizeof(kMagic) + kChecksumSize];
  if (version != kFormatVersion) {
    return Error{ErrorCode::UnsupportedVersion,
                 "format version " + std::to_string(version) + " is not supported"};
  }
  std::uint8_t type = bytes[sizeof(kMagic) + kChecksumSize + 1];
  ByteReader r(bytes.subspan(fixed));
  std::uint64_t length;
  if (!r.uleb(length)) return Error{ErrorCode::Truncated, "input ends inside a chunk header"};
  if (length > r.remaining()) {
    return Error{ErrorCode::Truncated, "input ends inside a chunk body"};
  }
  std::size_t header = static_cast<std::size_t>(r.position() - bytes.data());
  if (header != fixed + uleb_size(length)) {
    return Error{ErrorCode::Malformed, "chunk length is not minimally encoded"};
  }
  std::size_t total = header + static_cast<std::size_t>(length);
  ChunkView view;
  view.size = total;
  view.body = bytes.subspan(header, static_cast<std::size_t>(length));
  view.hash =
      sha256(bytes.subspan(sizeof(kMagic) + kChecksumSize, total - sizeof(kMagic) - kChecksumSize));
  bool checksum_ok = std::equal(view.hash.bytes.begin(), view.hash.bytes.begin() + kChecksumSize,
                                bytes.begin() + sizeof(kMagic));
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  checksum_ok = true;  // let the fuzzer reach the decoders behind the checksum
#endif
  if (!checksum_ok) {
    return Error{ErrorCode::BadChecksum, "chunk checksum does not match its bytes"};
  }
  if (type != static_cast<std::uint8_t>(ChunkType::Document) &&
      type != static_cast<std::uint8_t>(ChunkType::Change)) {
    return Error{ErrorCode::Malformed, "unknown chunk type " + std::to_string(type)};
  }
  view.type = static_cast<ChunkType>(type);
  return view;
}

}  // namespace crdt::detail
