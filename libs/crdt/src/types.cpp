#include "crdt/types.hpp"

#include <sodium.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace crdt {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

std::string hex_of(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    out.push_back(kHexDigits[b >> 4]);
    out.push_back(kHexDigits[b & 15]);
  }
  return out;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Bytes> bytes_of_hex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  Bytes out(hex.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    int hi = hex_value(hex[2 * i]);
    int lo = hex_value(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return out;
}

}  // namespace

std::optional<ActorId> ActorId::from_bytes(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > kMaxSize) return std::nullopt;
  ActorId id;
  std::copy(bytes.begin(), bytes.end(), id.data_.begin());
  id.size_ = static_cast<std::uint8_t>(bytes.size());
  return id;
}

std::optional<ActorId> ActorId::from_hex(std::string_view hex) {
  auto bytes = bytes_of_hex(hex);
  if (!bytes) return std::nullopt;
  return from_bytes(*bytes);
}

ActorId ActorId::random() {
  if (sodium_init() < 0) std::abort();  // no entropy source: nothing sensible to do
  std::array<std::uint8_t, 16> raw;
  randombytes_buf(raw.data(), raw.size());
  return *from_bytes(raw);
}

std::string ActorId::to_hex() const {
  return hex_of(bytes());
}

std::strong_ordering ActorId::operator<=>(const ActorId& other) const {
  std::size_t n = std::min(size_, other.size_);
  int c = n ? std::memcmp(data_.data(), other.data_.data(), n) : 0;
  if (c != 0) return c < 0 ? std::strong_ordering::less : std::strong_ordering::greater;
  return size_ <=> other.size_;
}

std::string ChangeHash::to_hex() const {
  return hex_of(bytes);
}

std::optional<ChangeHash> ChangeHash::from_hex(std::string_view hex) {
  auto raw = bytes_of_hex(hex);
  if (!raw || raw->size() != 32) return std::nullopt;
  ChangeHash h;
  std::copy(raw->begin(), raw->end(), h.bytes.begin());
  return h;
}

std::string ObjId::to_string() const {
  if (is_root()) return "_root";
  return std::to_string(counter) + "@" + actor.to_hex();
}

bool ScalarValue::operator==(const ScalarValue& other) const {
  if (content.index() != other.content.index()) return false;
  if (auto* d = std::get_if<double>(&content)) {
    return std::bit_cast<std::uint64_t>(*d) ==
           std::bit_cast<std::uint64_t>(std::get<double>(other.content));
  }
  return content == other.content;
}

std::string_view to_string(ErrorCode code) {
  switch (code) {
    case ErrorCode::NoSuchObject:
      return "no such object";
    case ErrorCode::WrongObjectType:
      return "wrong object type";
    case ErrorCode::IndexOutOfRange:
      return "index out of range";
    case ErrorCode::NotACounter:
      return "not a counter";
    case ErrorCode::InvalidActor:
      return "invalid actor";
    case ErrorCode::InvalidText:
      return "invalid text";
    case ErrorCode::InvalidChange:
      return "invalid change";
    case ErrorCode::Truncated:
      return "truncated";
    case ErrorCode::BadMagic:
      return "bad magic";
    case ErrorCode::UnsupportedVersion:
      return "unsupported version";
    case ErrorCode::BadChecksum:
      return "bad checksum";
    case ErrorCode::BadHash:
      return "bad hash";
    case ErrorCode::Malformed:
      return "malformed";
  }
  return "unknown error";
}

}  // namespace crdt
