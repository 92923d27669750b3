#include "json/reader.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "json/json.hpp"

namespace json {
namespace {

struct SyntaxCase {
  std::string input;
  ErrorKind kind;
};

// Any value, checked and thrown away: the syntax every skipped member must pass.
bool skips(std::string_view input, ErrorKind* kind = nullptr, int max_depth = 128) {
  Reader reader(input, max_depth);
  if (reader.skip_value() && reader.finish()) return true;
  if (kind) *kind = reader.take_error().kind();
  return false;
}

TEST(Reader, AcceptsEveryWellFormedValue) {
  const std::string inputs[] = {"null",
                                "true",
                                "false",
                                "0",
                                "-0",
                                "12",
                                "-0.5e-3",
                                "1E+2",
                                "1.25",
                                "123456789012345678901234567890",
                                R"("")",
                                R"("a\"\\\/\b\f\n\r\t\u00e9\ud83d\ude00")",
                                "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\"",
                                "[]",
                                "{}",
                                " [ 1 , [ ] , { } ] ",
                                R"({"a":{"b":[null,{"c":"d"}]},"a":1})"};
  for (const auto& input : inputs) EXPECT_TRUE(skips(input)) << input;
}

TEST(Reader, RefusesMalformedValuesWithTheirKind) {
  const SyntaxCase cases[] = {
      {"", ErrorKind::EofWhileParsingValue},
      {"-", ErrorKind::EofWhileParsingValue},
      {"tru", ErrorKind::EofWhileParsingValue},
      {"trux", ErrorKind::ExpectedIdent},
      {"nul", ErrorKind::EofWhileParsingValue},
      {"nulL", ErrorKind::ExpectedIdent},
      {"01", ErrorKind::InvalidNumber},
      {"-a", ErrorKind::InvalidNumber},
      {"1.", ErrorKind::InvalidNumber},
      {"1.e5", ErrorKind::InvalidNumber},
      {"1e", ErrorKind::InvalidNumber},
      {"1e+", ErrorKind::InvalidNumber},
      {".5", ErrorKind::ExpectedValue},
      {"+1", ErrorKind::ExpectedValue},
      {"1 2", ErrorKind::TrailingCharacters},
      {"[1 2]", ErrorKind::ExpectedListCommaOrEnd},
      {"[1,]", ErrorKind::TrailingComma},
      {"[,1]", ErrorKind::ExpectedValue},
      {"[1,", ErrorKind::EofWhileParsingValue},
      {"[1", ErrorKind::EofWhileParsingList},
      {"[", ErrorKind::EofWhileParsingList},
      {"{", ErrorKind::EofWhileParsingObject},
      {R"({"a" 1})", ErrorKind::ExpectedColon},
      {R"({"a")", ErrorKind::EofWhileParsingObject},
      {R"({"a":)", ErrorKind::EofWhileParsingValue},
      {R"({"a":1 "b":2})", ErrorKind::ExpectedObjectCommaOrEnd},
      {R"({"a":1,})", ErrorKind::TrailingComma},
      {R"({"a":1,)", ErrorKind::EofWhileParsingValue},
      {R"({1:2})", ErrorKind::KeyMustBeAString},
      {R"({,"a":1})", ErrorKind::KeyMustBeAString},
      {R"("abc)", ErrorKind::EofWhileParsingString},
      {R"("abc\)", ErrorKind::EofWhileParsingString},
      {R"("\u12)", ErrorKind::EofWhileParsingString},
      {R"("\q")", ErrorKind::InvalidEscape},
      {R"("\u12g4")", ErrorKind::InvalidEscape},
      {R"("\U0041")", ErrorKind::InvalidEscape},
      {R"("\ud800")", ErrorKind::InvalidUnicode},
      {R"("\ud800\u0041")", ErrorKind::InvalidUnicode},
      {R"("\ud800x")", ErrorKind::InvalidUnicode},
      {R"("\udc00")", ErrorKind::InvalidUnicode},
      {R"("\ud800)", ErrorKind::EofWhileParsingString},
      {std::string("\"a\x01\""), ErrorKind::ControlCharacter},
      {std::string("\"a\nb\""), ErrorKind::ControlCharacter},
      {std::string("\"\x80\""), ErrorKind::InvalidUnicode},
      {std::string("\"\xC0\x80\""), ErrorKind::InvalidUnicode},
      {std::string("\"\xE0\x80\x80\""), ErrorKind::InvalidUnicode},
      {std::string("\"\xED\xA0\x80\""), ErrorKind::InvalidUnicode},
      {std::string("\"\xF4\x90\x80\x80\""), ErrorKind::InvalidUnicode},
      {std::string("\"\xF5\x80\x80\x80\""), ErrorKind::InvalidUnicode},
      {std::string("\"\xE2\x82\""), ErrorKind::InvalidUnicode},
      {std::string("\"\xE2\x82"), ErrorKind::InvalidUnicode},
      {std::string("\xEF\xBB\xBFnull"), ErrorKind::ExpectedValue},
      {std::string("nul\0l", 5), ErrorKind::ExpectedIdent},
  };
  for (const auto& c : cases) {
    ErrorKind kind{};
    EXPECT_FALSE(skips(c.input, &kind)) << c.input;
    EXPECT_EQ(kind, c.kind) << c.input;
  }
}

TEST(Reader, StringsDecodeEscapesIntoUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {R"("plain")", "plain"},
      {R"("a\"\\\/\b\f\n\r\tz")", "a\"\\/\b\f\n\r\tz"},
      {R"("\u0000x")", std::string("\0x", 2)},
      {R"("\u00e9\u20AC")", "\xC3\xA9\xE2\x82\xAC"},
      {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
      {R"("\uDBFF\uDFFF")", "\xF4\x8F\xBF\xBF"},
      {"\"\xC3\xA9 \\n \xF0\x9F\x98\x80\"", "\xC3\xA9 \n \xF0\x9F\x98\x80"},
  };
  for (const auto& [input, expected] : cases) {
    const auto result = decode<std::string>(input);
    ASSERT_TRUE(result.ok()) << input << ": " << result.error().display();
    EXPECT_EQ(result.value(), expected) << input;
  }
}

TEST(Reader, IntegersAreCheckedAgainstTheirWidth) {
  EXPECT_EQ(decode<std::int64_t>("-9223372036854775808").value(), INT64_MIN);
  EXPECT_EQ(decode<std::uint64_t>("18446744073709551615").value(), UINT64_MAX);
  EXPECT_EQ(decode<std::uint32_t>("4294967295").value(), UINT32_MAX);
  EXPECT_EQ(decode<std::uint32_t>("-0").value(), 0u);
  const struct {
    Result<std::uint32_t> result;
    ErrorKind kind;
  } cases[] = {
      {decode<std::uint32_t>("4294967296"), ErrorKind::InvalidValue},
      {decode<std::uint32_t>("-1"), ErrorKind::InvalidValue},
      {decode<std::uint32_t>("1.0"), ErrorKind::InvalidType},
      {decode<std::uint32_t>("\"1\""), ErrorKind::InvalidType},
      {decode<std::uint32_t>("true"), ErrorKind::InvalidType},
      {decode<std::uint32_t>("[1]"), ErrorKind::InvalidType},
      {decode<std::uint32_t>("01"), ErrorKind::InvalidNumber},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.result.ok());
    EXPECT_EQ(c.result.error().kind(), c.kind) << c.result.error().display();
  }
  EXPECT_EQ(decode<std::uint64_t>("18446744073709551616").error().message(),
            "invalid value: integer `18446744073709551616`, expected u64");
  EXPECT_EQ(decode<std::int64_t>("-1e2").error().message(),
            "invalid type: floating point `-1e2`, expected i64");
}

TEST(Reader, InvalidTypeDescribesTheValueFound) {
  const std::pair<std::string, std::string> cases[] = {
      {"null", "invalid type: null, expected a string"},
      {"true", "invalid type: boolean `true`, expected a string"},
      {"false", "invalid type: boolean `false`, expected a string"},
      {"-12", "invalid type: integer `-12`, expected a string"},
      {"2.5", "invalid type: floating point `2.5`, expected a string"},
      {"[\"a\"]", "invalid type: sequence, expected a string"},
      {"{}", "invalid type: map, expected a string"},
  };
  for (const auto& [input, message] : cases) {
    EXPECT_EQ(decode<std::string>(input).error().message(), message);
  }
  EXPECT_EQ(decode<bool>(R"("a\"b\n")").error().message(),
            R"(invalid type: string "a\"b\n", expected a boolean)");
  // Describing the value reads it, and a malformed one is reported as such.
  EXPECT_EQ(decode<bool>("\"\\x\"").error().kind(), ErrorKind::InvalidEscape);
}

TEST(Reader, ListsKeepOrderAndRefuseStrayCommas) {
  EXPECT_EQ(decode<std::vector<std::int64_t>>(" [ 3 , -1 , 2 ] ").value(),
            (std::vector<std::int64_t>{3, -1, 2}));
  EXPECT_TRUE(decode<std::vector<std::int64_t>>("[]").value().empty());
  EXPECT_EQ(decode<std::vector<std::int64_t>>("[1,]").error().kind(), ErrorKind::TrailingComma);
  EXPECT_EQ(decode<std::vector<std::int64_t>>("[1;2]").error().kind(),
            ErrorKind::ExpectedListCommaOrEnd);
  EXPECT_EQ(decode<std::vector<std::int64_t>>("null").error().message(),
            "invalid type: null, expected a sequence");
}

TEST(Reader, NestingLimitCountsEveryObjectAndArray) {
  const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_TRUE(skips(nested(128)));
  ErrorKind kind{};
  EXPECT_FALSE(skips(nested(129), &kind));
  EXPECT_EQ(kind, ErrorKind::RecursionLimitExceeded);
  EXPECT_TRUE(skips("[{\"a\":[]}]", nullptr, 3));
  EXPECT_FALSE(skips("[{\"a\":[[]]}]", &kind, 3));
  EXPECT_EQ(kind, ErrorKind::RecursionLimitExceeded);
  // Sibling values do not add up.
  std::string wide = "[";
  for (int i = 0; i < 1000; ++i) wide += "[[]],";
  wide += "[]]";
  EXPECT_TRUE(skips(wide, nullptr, 3));
}

TEST(Reader, PositionsCountLinesAndBytes) {
  const struct {
    std::string input;
    std::size_t line;
    std::size_t column;
  } cases[] = {
      {"", 1, 0},
      {"x", 1, 1},
      {"[1,\n2,\n  x]", 3, 3},
      {"[1,\n", 2, 0},
      {"\"\xC3\xA9\x01\"", 1, 4},
      {"[\r\n 1 2]", 2, 4},
  };
  for (const auto& c : cases) {
    Reader reader(c.input);
    ASSERT_FALSE(reader.skip_value() && reader.finish()) << c.input;
    const Error error = reader.take_error();
    EXPECT_EQ(error.line(), c.line) << c.input;
    EXPECT_EQ(error.column(), c.column) << c.input;
  }
  EXPECT_EQ(decode<std::string>("\n\n  7").error().display(),
            "invalid type: integer `7`, expected a string at line 3 column 3");
}

}  // namespace
}  // namespace json
