// Column codecs: run-length (with null runs), delta and boolean columns over LEB128.
//
// RLE layout: a signed count n, then n > 0: one value repeated n times; n < 0: -n literal
// values; n == 0: an unsigned count of nulls. Decoders pull one value at a time, so a huge
// run count in hostile input costs nothing and a short column is reported, never overrun.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_io.hpp"

namespace crdt::detail {

struct UlebCodec {
  using Value = std::uint64_t;
  static void write(std::vector<std::uint8_t>& out, Value v) { write_uleb(out, v); }
  static bool read(ByteReader& r, Value& v) { return r.uleb(v); }
};

struct SlebCodec {
  using Value = std::int64_t;
  static void write(std::vector<std::uint8_t>& out, Value v) { write_sleb(out, v); }
  static bool read(ByteReader& r, Value& v) { return r.sleb(v); }
};

// Strings are read as views into the column and written from owned copies (an encoder
// keeps values until its run ends).
struct OwnedStringCodec {
  using Value = std::string;
  static void write(std::vector<std::uint8_t>& out, const Value& v) { write_prefixed(out, v); }
};

struct StringCodec {
  using Value = std::string_view;
  static void write(std::vector<std::uint8_t>& out, Value v) { write_prefixed(out, v); }
  static bool read(ByteReader& r, Value& v) { return r.prefixed(v); }
};

template <class Codec>
class RleEncoder {
 public:
  using Value = typename Codec::Value;

  void append(Value v) {
    if (count_ > 0 && has_ && current_ == v) {
      ++count_;
      return;
    }
    flush_run();
    has_ = true;
    current_ = v;
    count_ = 1;
  }

  void append_null() {
    if (count_ > 0 && !has_) {
      ++count_;
      return;
    }
    flush_run();
    has_ = false;
    count_ = 1;
  }

  void append(std::optional<Value> v) {
    if (v) {
      append(*v);
    } else {
      append_null();
    }
  }

  std::vector<std::uint8_t> finish() {
    flush_run();
    flush_literals();
    return std::move(out_);
  }

  // Appends the column to `dst`, prefixed by its length, and starts over (keeping
  // capacity); returns the column's length.
  std::size_t finish_prefixed(std::vector<std::uint8_t>& dst) {
    flush_run();
    flush_literals();
    write_prefixed(dst, out_);
    std::size_t size = out_.size();
    out_.clear();
    has_ = false;
    count_ = 0;
    return size;
  }

 private:
  void flush_run() {
    if (count_ == 0) return;
    if (!has_) {
      flush_literals();
      write_sleb(out_, 0);
      write_uleb(out_, count_);
    } else if (count_ >= 2) {
      flush_literals();
      write_sleb(out_, static_cast<std::int64_t>(count_));
      Codec::write(out_, current_);
    } else {
      literals_.push_back(current_);
    }
    count_ = 0;
  }

  void flush_literals() {
    if (literals_.empty()) return;
    write_sleb(out_, -static_cast<std::int64_t>(literals_.size()));
    for (const Value& v : literals_) Codec::write(out_, v);
    literals_.clear();
  }

  std::vector<std::uint8_t> out_;
  std::vector<Value> literals_;
  Value current_{};
  bool has_ = false;
  std::uint64_t count_ = 0;
};

template <class Codec>
class RleDecoder {
 public:
  using Value = typename Codec::Value;

  RleDecoder() = default;
  explicit RleDecoder(std::span<const std::uint8_t> bytes) : r_(bytes) {}

  // False on malformed input or when the column has no more values.
  bool next(std::optional<Value>& out) {
    if (left_ == 0 && !start_group()) return false;
    --left_;
    switch (kind_) {
      case Kind::Run:
        out = value_;
        return true;
      case Kind::Nulls:
        out.reset();
        return true;
      case Kind::Literal: {
        Value v;
        if (!Codec::read(r_, v)) return false;
        out = v;
        return true;
      }
    }
    return false;
  }

  // A value that must not be null.
  bool next_value(Value& out) {
    std::optional<Value> v;
    if (!next(v) || !v) return false;
    out = *v;
    return true;
  }

  bool done() const { return left_ == 0 && r_.at_end(); }

 private:
  enum class Kind : std::uint8_t { Run, Literal, Nulls };

  bool start_group() {
    if (r_.at_end()) return false;
    std::int64_t n;
    if (!r_.sleb(n)) return false;
    if (n > 0) {
      kind_ = Kind::Run;
      left_ = static_cast<std::uint64_t>(n);
      return Codec::read(r_, value_);
    }
    if (n < 0) {
      if (n == INT64_MIN) return r_.fail();
      kind_ = Kind::Literal;
      left_ = static_cast<std::uint64_t>(-n);
      return true;
    }
    kind_ = Kind::Nulls;
    if (!r_.uleb(left_)) return false;
    return left_ > 0 || r_.fail();
  }

  ByteReader r_;
  Kind kind_ = Kind::Run;
  std::uint64_t left_ = 0;
  Value value_{};
};

// Integers stored as RLE differences from the previous non-null value.
class DeltaEncoder {
 public:
  void append(std::int64_t v) {
    rle_.append(static_cast<std::int64_t>(static_cast<std::uint64_t>(v) -
                                          static_cast<std::uint64_t>(last_)));
    last_ = v;
  }
  void append_null() { rle_.append_null(); }
  std::vector<std::uint8_t> finish() { return rle_.finish(); }
  std::size_t finish_prefixed(std::vector<std::uint8_t>& dst) {
    last_ = 0;
    return rle_.finish_prefixed(dst);
  }

 private:
  RleEncoder<SlebCodec> rle_;
  std::int64_t last_ = 0;
};

class DeltaDecoder {
 public:
  DeltaDecoder() = default;
  explicit DeltaDecoder(std::span<const std::uint8_t> bytes) : rle_(bytes) {}

  bool next(std::optional<std::int64_t>& out) {
    std::optional<std::int64_t> d;
    if (!rle_.next(d)) return false;
    if (!d) {
      out.reset();
      return true;
    }
    last_ = static_cast<std::int64_t>(static_cast<std::uint64_t>(last_) +
                                      static_cast<std::uint64_t>(*d));
    out = last_;
    return true;
  }
  bool next_value(std::int64_t& out) {
    std::optional<std::int64_t> v;
    if (!next(v) || !v) return false;
    out = *v;
    return true;
  }
  bool done() const { return rle_.done(); }

 private:
  RleDecoder<SlebCodec> rle_;
  std::int64_t last_ = 0;
};

// Alternating run lengths, starting with a (possibly empty) run of false.
class BoolEncoder {
 public:
  void append(bool v) {
    if (v != current_) {
      write_uleb(out_, count_);
      current_ = v;
      count_ = 0;
    }
    ++count_;
  }
  std::vector<std::uint8_t> finish() {
    if (count_ > 0) write_uleb(out_, count_);
    count_ = 0;
    return std::move(out_);
  }
  std::size_t finish_prefixed(std::vector<std::uint8_t>& dst) {
    if (count_ > 0) write_uleb(out_, count_);
    write_prefixed(dst, out_);
    std::size_t size = out_.size();
    out_.clear();
    current_ = false;
    count_ = 0;
    return size;
  }

 private:
  std::vector<std::uint8_t> out_;
  bool current_ = false;
  std::uint64_t count_ = 0;
};

class BoolDecoder {
 public:
  BoolDecoder() = default;
  explicit BoolDecoder(std::span<const std::uint8_t> bytes) : r_(bytes) {}

  bool next(bool& out) {
    while (left_ == 0) {
      if (r_.at_end()) return false;
      if (started_) current_ = !current_;
      started_ = true;
      if (!r_.uleb(left_)) return false;
    }
    --left_;
    out = current_;
    return true;
  }
  bool done() const { return left_ == 0 && r_.at_end(); }

 private:
  ByteReader r_;
  bool current_ = false;
  bool started_ = false;
  std::uint64_t left_ = 0;
};

}  // namespace crdt::detail
