#pragma once

#include <string>
#include <string_view>

namespace json {

// Appends the human-readable text of values: records as `Name { field: value, ... }`,
// strings quoted and escaped, absent values as None, present ones as Some(...).
class DebugWriter {
 public:
  explicit DebugWriter(std::string& out) : out_(out) {}

  void raw(std::string_view text) { out_.append(text); }
  void string(std::string_view text);
  template <class Integer>
  void integer(Integer value) {
    out_.append(std::to_string(value));
  }

 private:
  std::string& out_;
};

}  // namespace json
