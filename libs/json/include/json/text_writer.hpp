#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace json {

// Appends compact JSON text: no whitespace anywhere. Strings are written as UTF-8 with only
// the quotation mark, the backslash and control characters escaped.
class TextWriter {
 public:
  explicit TextWriter(std::string& out) : out_(out) {}

  void raw(char c) { out_.push_back(c); }
  void raw(std::string_view text) { out_.append(text); }
  // "name":
  void key(std::string_view name) {
    out_.push_back('"');
    out_.append(name);
    out_.append("\":", 2);
  }
  void string(std::string_view text);
  void boolean(bool value) { value ? out_.append("true", 4) : out_.append("false", 5); }
  void null() { out_.append("null", 4); }
  template <class Integer>
  void integer(Integer value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
  }

 private:
  std::string& out_;
};

}  // namespace json
