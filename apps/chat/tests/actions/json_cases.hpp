#pragma once

// Table helpers shared by the JSON tests of actions, operations and their records.

#include <gtest/gtest.h>

#include <string>

#include "json/json.hpp"

namespace chat::actions::testing {

struct ErrorCase {
  std::string name;
  std::string input;
  json::ErrorKind kind;
  std::string message;  // empty: only the kind is checked
};

template <class T>
void expect_decode_error(const ErrorCase& c) {
  SCOPED_TRACE(c.name);
  const auto result = json::decode<T>(c.input);
  ASSERT_FALSE(result.ok()) << c.input;
  EXPECT_EQ(result.error().kind(), c.kind) << result.error().display();
  if (!c.message.empty()) {
    EXPECT_EQ(result.error().message(), c.message);
  }
}

// Decodes, and checks that the value re-encodes to `text` in both forms.
template <class T>
T decode_ok(const std::string& input) {
  auto result = json::decode<T>(input);
  EXPECT_TRUE(result.ok()) << input << "\n" << (result.ok() ? "" : result.error().display());
  if (!result.ok()) return T{};
  return std::move(result).value();
}

}  // namespace chat::actions::testing
