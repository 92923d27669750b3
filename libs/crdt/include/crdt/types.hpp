// Values, identifiers and the result type of the replicated document.
#pragma once

#include <array>
#include <compare>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace crdt {

using Bytes = std::vector<std::uint8_t>;

// The id of one replica's edit stream: 1 to 32 bytes, random 16 bytes by default.
// Stored inline so that object ids copy without allocating.
class ActorId {
 public:
  static constexpr std::size_t kMaxSize = 32;

  ActorId() = default;
  // None when `bytes` is empty or longer than kMaxSize.
  static std::optional<ActorId> from_bytes(std::span<const std::uint8_t> bytes);
  static std::optional<ActorId> from_hex(std::string_view hex);
  static ActorId random();

  std::span<const std::uint8_t> bytes() const { return {data_.data(), size_}; }
  Bytes to_bytes() const { return Bytes(data_.begin(), data_.begin() + size_); }
  std::string to_hex() const;
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // Bytewise, a shorter prefix first: the tie-break order of concurrent operations.
  std::strong_ordering operator<=>(const ActorId& other) const;
  bool operator==(const ActorId& other) const {
    return size_ == other.size_ && std::memcmp(data_.data(), other.data_.data(), size_) == 0;
  }

 private:
  std::array<std::uint8_t, kMaxSize> data_{};
  std::uint8_t size_ = 0;
};

// SHA-256 of a change's canonical encoding.
struct ChangeHash {
  std::array<std::uint8_t, 32> bytes{};

  std::string to_hex() const;
  static std::optional<ChangeHash> from_hex(std::string_view hex);
  auto operator<=>(const ChangeHash&) const = default;
};

enum class ObjType : std::uint8_t { Map, List, Text };

// An object is named by the operation that created it; the root map by ROOT.
struct ObjId {
  std::uint64_t counter = 0;  // 0 only for the root
  ActorId actor;

  bool is_root() const { return counter == 0; }
  // "_root" or "<counter>@<actor hex>".
  std::string to_string() const;
  bool operator==(const ObjId&) const = default;
};

inline const ObjId ROOT{};

struct Null {
  bool operator==(const Null&) const = default;
};
struct Counter {
  std::int64_t value = 0;
  bool operator==(const Counter&) const = default;
};
// Milliseconds since the Unix epoch.
struct Timestamp {
  std::int64_t millis = 0;
  bool operator==(const Timestamp&) const = default;
};
// A scalar of a type this library does not know, kept as written so it round-trips.
struct UnknownScalar {
  std::uint8_t type_code = 0;
  Bytes bytes;
  bool operator==(const UnknownScalar&) const = default;
};

// A scalar held in the document. Read it with std::get_if on `content`.
struct ScalarValue {
  using Content = std::variant<Null, bool, std::int64_t, std::uint64_t, double, std::string, Bytes,
                               Counter, Timestamp, UnknownScalar>;
  Content content;

  ScalarValue() = default;
  ScalarValue(Null) {}
  ScalarValue(bool v) : content(v) {}
  template <class T>
  requires std::signed_integral<T> ScalarValue(T v) : content(static_cast<std::int64_t>(v)) {}
  template <class T>
  requires(std::unsigned_integral<T> && !std::same_as<T, bool>) ScalarValue(T v)
      : content(static_cast<std::uint64_t>(v)) {}
  ScalarValue(double v) : content(v) {}
  ScalarValue(std::string v) : content(std::move(v)) {}
  ScalarValue(std::string_view v) : content(std::string(v)) {}
  ScalarValue(const char* v) : content(std::string(v)) {}
  ScalarValue(Bytes v) : content(std::move(v)) {}
  ScalarValue(Counter v) : content(v) {}
  ScalarValue(Timestamp v) : content(v) {}
  ScalarValue(UnknownScalar v) : content(std::move(v)) {}

  // Doubles compare by bit pattern, so NaN equals itself.
  bool operator==(const ScalarValue& other) const;
};

// What a read finds: a copy of a scalar, or the kind of an object (its id comes beside it).
struct Value {
  std::variant<ScalarValue, ObjType> content;

  Value(ScalarValue v) : content(std::move(v)) {}
  Value(ObjType t) : content(t) {}

  bool is_object() const { return content.index() == 1; }
  bool is_scalar() const { return content.index() == 0; }
  const ScalarValue* scalar() const { return std::get_if<ScalarValue>(&content); }
  std::optional<ObjType> object_type() const {
    if (auto* t = std::get_if<ObjType>(&content)) return *t;
    return std::nullopt;
  }
  bool operator==(const Value&) const = default;
};

enum class ErrorCode : std::uint8_t {
  NoSuchObject,     // the object id names nothing in this document
  WrongObjectType,  // e.g. a key write on a list, a splice on a map
  IndexOutOfRange,  // list or text position beyond the end
  NotACounter,      // increment of something else
  InvalidActor,     // empty or too long
  InvalidText,      // not valid UTF-8
  InvalidChange,    // a change that contradicts what the document knows
  // Loading bytes:
  Truncated,  // input ends inside a chunk
  BadMagic,   // not a document or change chunk
  UnsupportedVersion,
  BadChecksum,  // chunk bytes do not match their checksum
  BadHash,      // a change's hash or the saved heads do not match
  Malformed,    // a chunk that checks out but does not decode
};

std::string_view to_string(ErrorCode code);

struct Error {
  ErrorCode code;
  std::string message;
  // For errors about input bytes: the index of the chunk at fault and where it starts, so
  // that a caller can keep the valid prefix `bytes[0, chunk_offset)`.
  std::size_t chunk_index = 0;
  std::size_t chunk_offset = 0;
};

// Success with a value, or an Error.
template <class T>
class Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  const Error& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, Error> v_;
};

template <>
class Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)) {}

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return *error_; }

 private:
  std::optional<Error> error_;
};

using Status = Result<void>;

}  // namespace crdt
