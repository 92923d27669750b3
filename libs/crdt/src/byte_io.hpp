// LEB128 varints and bounds-checked byte reading.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace crdt::detail {

inline void write_uleb(std::vector<std::uint8_t>& out, std::uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(v));
}

inline std::size_t uleb_size(std::uint64_t v) {
  std::size_t n = 1;
  while (v >= 0x80) {
    v >>= 7;
    ++n;
  }
  return n;
}

inline void write_sleb(std::vector<std::uint8_t>& out, std::int64_t v) {
  while (true) {
    std::uint8_t byte = static_cast<std::uint8_t>(v & 0x7f);
    v >>= 7;  // arithmetic shift
    bool done = (v == 0 && !(byte & 0x40)) || (v == -1 && (byte & 0x40));
    if (done) {
      out.push_back(byte);
      return;
    }
    out.push_back(byte | 0x80);
  }
}

inline void write_bytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

inline void write_bytes(std::vector<std::uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

inline void write_prefixed(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  write_uleb(out, bytes.size());
  write_bytes(out, bytes);
}

inline void write_prefixed(std::vector<std::uint8_t>& out, std::string_view text) {
  write_uleb(out, text.size());
  write_bytes(out, text);
}

// Every read fails (returns false) rather than going past the end; once failed, stays failed.
class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const std::uint8_t> bytes)
      : p_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  bool ok() const { return ok_; }
  bool at_end() const { return p_ == end_; }
  std::size_t remaining() const { return static_cast<std::size_t>(end_ - p_); }
  const std::uint8_t* position() const { return p_; }
  bool fail() {
    ok_ = false;
    p_ = end_;
    return false;
  }

  bool uleb(std::uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (p_ == end_) return fail();
      std::uint8_t b = *p_++;
      if (shift == 63 && (b & 0x7e)) return fail();  // overflows 64 bits
      v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return true;
    }
    return fail();
  }

  bool sleb(std::int64_t& v) {
    std::uint64_t result = 0;
    int shift = 0;
    std::uint8_t b = 0;
    do {
      if (p_ == end_ || shift >= 64) return fail();
      b = *p_++;
      if (shift == 63 && b != 0 && b != 0x7f) return fail();
      result |= static_cast<std::uint64_t>(b & 0x7f) << shift;
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) result |= ~std::uint64_t{0} << shift;
    v = static_cast<std::int64_t>(result);
    return true;
  }

  // A uleb that must fit `limit` (e.g. the bytes left); guards allocation sizes.
  bool uleb_at_most(std::uint64_t& v, std::uint64_t limit) {
    if (!uleb(v)) return false;
    if (v > limit) return fail();
    return true;
  }

  bool u8(std::uint8_t& v) {
    if (p_ == end_) return fail();
    v = *p_++;
    return true;
  }

  bool take(std::size_t n, std::span<const std::uint8_t>& out) {
    if (remaining() < n) return fail();
    out = {p_, n};
    p_ += n;
    return true;
  }

  bool prefixed(std::span<const std::uint8_t>& out) {
    std::uint64_t n;
    if (!uleb(n)) return false;
    if (n > remaining()) return fail();
    return take(static_cast<std::size_t>(n), out);
  }

  bool prefixed(std::string_view& out) {
    std::span<const std::uint8_t> raw;
    if (!prefixed(raw)) return false;
    out = {reinterpret_cast<const char*>(raw.data()), raw.size()};
    return true;
  }

 private:
  const std::uint8_t* p_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  bool ok_ = true;
};

}  // namespace crdt::detail
