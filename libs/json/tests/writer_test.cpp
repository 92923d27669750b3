#include "json/text_writer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "json/json.hpp"

namespace json {
namespace {

TEST(TextWriter, EscapesOnlyQuotesBackslashesAndControlCharacters) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain / text", R"("plain / text")"},
      {"q\"b\\", R"("q\"b\\")"},
      {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string("\0\x01\x1f", 3), R"("\u0000\u0001\u001f")"},
      {"\x7f", "\"\x7f\""},
      {"\xC3\xA9\xF0\x9F\x98\x80", "\"\xC3\xA9\xF0\x9F\x98\x80\""},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(to_text(text), expected);
    // The value form serialises to the same text.
    EXPECT_EQ(to_value(text).dump(), expected);
    EXPECT_EQ(decode<std::string>(expected).value(), text);
  }
}

TEST(TextWriter, ReplacesBytesThatAreNoUtf8SoTheOutputStaysJson) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xFF"
       "b",
       "\"a\xEF\xBF\xBD"
       "b\""},
      {"\xC3", "\"\xEF\xBF\xBD\""},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"\xC3\xA9\x80", "\"\xC3\xA9\xEF\xBF\xBD\""},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(to_text(text), expected);
    EXPECT_EQ(to_value(text).dump(), expected);
    EXPECT_TRUE(decode<std::string>(to_text(text)).ok());
  }
}

TEST(TextWriter, IntegersAreDecimal) {
  EXPECT_EQ(to_text(std::int64_t{INT64_MIN}), "-9223372036854775808");
  EXPECT_EQ(to_text(std::uint64_t{UINT64_MAX}), "18446744073709551615");
  EXPECT_EQ(to_text(std::uint32_t{0}), "0");
  EXPECT_EQ(to_value(std::int64_t{-3}).dump(), "-3");
  EXPECT_EQ(to_value(std::uint64_t{UINT64_MAX}).dump(), "18446744073709551615");
}

TEST(DebugWriter, QuotesAndEscapesStrings) {
  EXPECT_EQ(debug_text(std::string("a\"\\\n\t\x01\x7f\0", 8)), R"("a\"\\\n\t\u{1}\u{7f}\0")");
  EXPECT_EQ(debug_text(std::optional<std::string>{}), "None");
  EXPECT_EQ(debug_text(std::vector<std::int64_t>{1, -2}), "[1, -2]");
}

}  // namespace
}  // namespace json
