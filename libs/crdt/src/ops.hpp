// Operation ids, actions and the encoding of scalar values in change columns.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "crdt/types.hpp"

namespace crdt::detail {

// counter 0 names the root (as an object) or the list head (as an element reference).
struct OpId {
  std::uint64_t counter = 0;
  std::uint32_t actor = 0;
  bool operator==(const OpId&) const = default;
};

struct OpIdHash {
  std::size_t operator()(const OpId& id) const {
    std::uint64_t x =
        id.counter * 0x9E3779B97F4A7C15ull ^ (std::uint64_t{id.actor} << 32 | id.actor);
    x ^= x >> 29;
    return static_cast<std::size_t>(x * 0xBF58476D1CE4E5B9ull);
  }
};

enum class Action : std::uint8_t {
  MakeMap = 0,
  Put = 1,
  MakeList = 2,
  Delete = 3,
  MakeText = 4,
  Increment = 5,
};
inline constexpr std::uint64_t kActionCount = 6;

inline std::optional<ObjType> made_type(Action a) {
  switch (a) {
    case Action::MakeMap:
      return ObjType::Map;
    case Action::MakeList:
      return ObjType::List;
    case Action::MakeText:
      return ObjType::Text;
    default:
      return std::nullopt;
  }
}

inline Action make_action(ObjType t) {
  switch (t) {
    case ObjType::Map:
      return Action::MakeMap;
    case ObjType::List:
      return Action::MakeList;
    case ObjType::Text:
      return Action::MakeText;
  }
  return Action::MakeMap;
}

// Value type codes of the value metadata column: (byte length << 4) | code.
enum class ValueCode : std::uint8_t {
  Null = 0,
  False = 1,
  True = 2,
  Uint = 3,
  Int = 4,
  Float = 5,
  String = 6,
  Bytes = 7,
  Counter = 8,
  Timestamp = 9,
  Unknown = 15,  // raw bytes: the type code, then the content
};

// A value as it sits in a change: its code and raw bytes.
struct ValueRef {
  ValueCode code = ValueCode::Null;
  std::span<const std::uint8_t> raw;
};

// Appends the raw bytes of `v` and returns its metadata word.
std::uint64_t encode_value(const ScalarValue& v, std::vector<std::uint8_t>& raw);
// Structure check (lengths, varint shapes); false for a malformed value.
bool valid_value(ValueRef v);
ScalarValue decode_value(ValueRef v);
// The value an Increment op carries.
std::int64_t decode_increment(ValueRef v);

struct Object;

// An object value: its kind and the object itself. Objects never move or go away, so
// readers follow the pointer instead of looking the id up.
struct ObjRef {
  ObjType type = ObjType::Map;
  Object* object = nullptr;
  bool operator==(const ObjRef&) const = default;
};

// What a map key or list element holds: a scalar, or an object created by the op.
using Stored = std::variant<ScalarValue, ObjRef>;

struct ValueOp {
  OpId id;
  Stored value;
};

}  // namespace crdt::detail
