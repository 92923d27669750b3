#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "json/error.hpp"

namespace json {

// One JSON number as written: its text and, for integers, sign and magnitude.
struct Number {
  std::string_view text;
  bool integer = true;    // no fraction and no exponent
  bool negative = false;  // a leading minus sign
  bool overflow = false;  // magnitude beyond 64 bits
  std::uint64_t magnitude = 0;
};

// A strict pull parser over one input buffer. Every operation returns false after it has
// recorded an error; the first error is the one kept and the reader is then done.
// Objects and arrays may nest max_depth levels, the outermost counting as the first.
class Reader {
 public:
  static constexpr int kDefaultDepth = 128;

  explicit Reader(std::string_view input, int max_depth = kDefaultDepth)
      : begin_(input.data()),
        pos_(input.data()),
        end_(input.data() + input.size()),
        max_depth_(max_depth) {}

  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // The next byte after whitespace, left unread; -1 at the end of input.
  int peek() {
    while (pos_ < end_ && (*pos_ == ' ' || *pos_ == '\n' || *pos_ == '\t' || *pos_ == '\r')) {
      ++pos_;
    }
    return pos_ < end_ ? static_cast<unsigned char>(*pos_) : -1;
  }
  void bump() { ++pos_; }
  std::size_t offset() const { return static_cast<std::size_t>(pos_ - begin_); }
  // Goes back to an offset met earlier at the same nesting level.
  void seek(std::size_t offset) { pos_ = begin_ + offset; }

  // At '{' or '[': takes it and counts one more level.
  [[nodiscard]] bool enter() {
    if (depth_ >= max_depth_) return fail(ErrorKind::RecursionLimitExceeded);
    ++depth_;
    ++pos_;
    return true;
  }
  void leave() { --depth_; }

  // Inside an object: more is true when a member follows (the reader is then at its key),
  // false at the closing brace, which is left unread.
  [[nodiscard]] bool object_next(bool& first, bool& more);
  // Inside an array: more is true when an element follows, false at the closing bracket,
  // which is left unread.
  [[nodiscard]] bool array_next(bool& first, bool& more);
  // After the last element a shape wants: the closing bracket must come next.
  [[nodiscard]] bool array_end();
  [[nodiscard]] bool colon();

  // At '"': the string's contents. The view lives until the next read.
  [[nodiscard]] bool read_string(std::string_view& out);
  // At the first letter of "null", "true" or "false".
  [[nodiscard]] bool read_literal(std::string_view word);
  // At '-' or a digit.
  [[nodiscard]] bool read_number(Number& out);
  // Any one value, checked as strictly as a read one.
  [[nodiscard]] bool skip_value();
  // Only whitespace may be left.
  [[nodiscard]] bool finish();

  // Failures at the next byte (after whitespace), or at a given offset.
  bool fail(ErrorKind kind);
  bool fail(ErrorKind kind, std::string message);
  bool fail_at(std::size_t offset, ErrorKind kind, std::string message);
  // The value at the next byte has the wrong JSON type for `expected`; describes that value.
  bool invalid_type(std::string_view expected);

  bool failed() const { return error_.has_value(); }
  Error take_error();

 private:
  bool read_escaped_string(const char* start, std::string_view& out);
  bool read_hex_escape(char32_t& out);
  bool skip_nested();

  const char* begin_;
  const char* pos_;
  const char* end_;
  int depth_ = 0;
  int max_depth_;
  std::string scratch_;
  std::optional<Error> error_;
};

// The message texts of failures raised while matching a shape.
namespace message {
std::string invalid_type(std::string_view unexpected, std::string_view expected);
std::string invalid_value(std::string_view unexpected, std::string_view expected);
std::string invalid_length(std::size_t length, std::string_view expected);
std::string missing_field(std::string_view field);
std::string duplicate_field(std::string_view field);
// Names every allowed variant in order.
template <class Names>
std::string unknown_variant(std::string_view name, const Names& allowed) {
  std::string text = "unknown variant `";
  text += name;
  text += "`, expected ";
  const std::size_t count = std::size(allowed);
  if (count == 0) return text + "nothing";
  if (count == 2) {
    return text + "`" + std::string(allowed[0]) + "` or `" + std::string(allowed[1]) + "`";
  }
  if (count > 2) text += "one of ";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += ", ";
    text += "`";
    text += allowed[i];
    text += "`";
  }
  return text;
}
}  // namespace message

}  // namespace json
