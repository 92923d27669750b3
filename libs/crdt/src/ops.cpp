#include "ops.hpp"

#include <bit>
#include <cstring>

#include "byte_io.hpp"

namespace crdt::detail {

namespace {

std::uint64_t meta(ValueCode code, std::size_t length) {
  return (static_cast<std::uint64_t>(length) << 4) | static_cast<std::uint64_t>(code);
}

struct Encoder {
  std::vector<std::uint8_t>& raw;

  std::uint64_t operator()(const Null&) { return meta(ValueCode::Null, 0); }
  std::uint64_t operator()(bool b) { return meta(b ? ValueCode::True : ValueCode::False, 0); }
  std::uint64_t operator()(std::int64_t v) { return varint(ValueCode::Int, v); }
  std::uint64_t operator()(std::uint64_t v) {
    std::size_t before = raw.size();
    write_uleb(raw, v);
    return meta(ValueCode::Uint, raw.size() - before);
  }
  std::uint64_t operator()(double d) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(d);
    for (int i = 0; i < 8; ++i) raw.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return meta(ValueCode::Float, 8);
  }
  std::uint64_t operator()(const std::string& s) {
    write_bytes(raw, s);
    return meta(ValueCode::String, s.size());
  }
  std::uint64_t operator()(const Bytes& b) {
    write_bytes(raw, b);
    return meta(ValueCode::Bytes, b.size());
  }
  std::uint64_t operator()(const Counter& c) { return varint(ValueCode::Counter, c.value); }
  std::uint64_t operator()(const Timestamp& t) { return varint(ValueCode::Timestamp, t.millis); }
  std::uint64_t operator()(const UnknownScalar& u) {
    raw.push_back(u.type_code);
    write_bytes(raw, u.bytes);
    return meta(ValueCode::Unknown, u.bytes.size() + 1);
  }

  std::uint64_t varint(ValueCode code, std::int64_t v) {
    std::size_t before = raw.size();
    write_sleb(raw, v);
    return meta(code, raw.size() - before);
  }
};

bool whole_sleb(std::span<const std::uint8_t> raw, std::int64_t& v) {
  ByteReader r(raw);
  return r.sleb(v) && r.at_end();
}

bool whole_uleb(std::span<const std::uint8_t> raw, std::uint64_t& v) {
  ByteReader r(raw);
  return r.uleb(v) && r.at_end();
}

}  // namespace

std::uint64_t encode_value(const ScalarValue& v, std::vector<std::uint8_t>& raw) {
  return std::visit(Encoder{raw}, v.content);
}

bool valid_value(ValueRef v) {
  std::int64_t i;
  std::uint64_t u;
  switch (v.code) {
    case ValueCode::Null:
    case ValueCode::False:
    case ValueCode::True:
      return v.raw.empty();
    case ValueCode::Uint:
      return whole_uleb(v.raw, u);
    case ValueCode::Int:
    case ValueCode::Counter:
    case ValueCode::Timestamp:
      return whole_sleb(v.raw, i);
    case ValueCode::Float:
      return v.raw.size() == 8;
    case ValueCode::String:
    case ValueCode::Bytes:
      return true;
    case ValueCode::Unknown:
      return !v.raw.empty();
  }
  return false;
}

ScalarValue decode_value(ValueRef v) {
  std::int64_t i = 0;
  std::uint64_t u = 0;
  switch (v.code) {
    case ValueCode::Null:
      return Null{};
    case ValueCode::False:
      return false;
    case ValueCode::True:
      return true;
    case ValueCode::Uint:
      whole_uleb(v.raw, u);
      return u;
    case ValueCode::Int:
      whole_sleb(v.raw, i);
      return i;
    case ValueCode::Float: {
      std::uint64_t bits = 0;
      for (std::size_t k = 0; k < 8 && k < v.raw.size(); ++k) {
        bits |= std::uint64_t{v.raw[k]} << (8 * k);
      }
      return std::bit_cast<double>(bits);
    }
    case ValueCode::String:
      return std::string(reinterpret_cast<const char*>(v.raw.data()), v.raw.size());
    case ValueCode::Bytes:
      return Bytes(v.raw.begin(), v.raw.end());
    case ValueCode::Counter:
      whole_sleb(v.raw, i);
      return Counter{i};
    case ValueCode::Timestamp:
      whole_sleb(v.raw, i);
      return Timestamp{i};
    case ValueCode::Unknown: {
      UnknownScalar s;
      if (!v.raw.empty()) {
        s.type_code = v.raw[0];
        s.bytes.assign(v.raw.begin() + 1, v.raw.end());
      }
      return s;
    }
  }
  return Null{};
}

std::int64_t decode_increment(ValueRef v) {
  std::int64_t i = 0;
  std::uint64_t u = 0;
  switch (v.code) {
    case ValueCode::Int:
    case ValueCode::Counter:
      whole_sleb(v.raw, i);
      return i;
    case ValueCode::Uint:
      whole_uleb(v.raw, u);
      return static_cast<std::int64_t>(u);
    default:
      return 0;
  }
}

}  // namespace crdt::detail
