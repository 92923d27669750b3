#include "json/record.hpp"

#include <gtest/gtest.h>

#include <string>

#include "fixtures.hpp"
#include "json/json.hpp"

namespace json_fixtures {
namespace {

using json::ErrorKind;

TEST(Record, WritesFieldsInOrderLeavingOutOnlyWhatIsMarked) {
  const std::pair<Pin, std::string> cases[] = {
      {Pin{.x = 1}, R"({"x":1,"name":"","note":null})"},
      {Pin{.x = -2, .name = "n", .note = "o", .tags = {3, 4}, .colour = Colour::Green},
       R"({"x":-2,"name":"n","note":"o","tags":[3,4],"colour":"green"})"},
      {Pin{.x = 0, .colour = Colour::Red}, R"({"x":0,"name":"","note":null,"colour":"red"})"},
  };
  for (const auto& [pin, text] : cases) {
    EXPECT_EQ(json::to_text(pin), text);
    EXPECT_EQ(json::to_value(pin).dump(), text);
    const auto back = json::decode<Pin>(text);
    ASSERT_TRUE(back.ok()) << back.error().display();
    EXPECT_EQ(back.value(), pin);
  }
}

TEST(Record, ObjectAndArrayFormsTakeAbsentFieldsByTheirRule) {
  const std::pair<std::string, Pin> cases[] = {
      {R"({"x":5})", Pin{.x = 5}},
      {R"({"note":"n","x":5,"other":[{"x":1}]})", Pin{.x = 5, .note = "n"}},
      {R"({"x":5,"note":null})", Pin{.x = 5}},
      {R"([5,"a",null])", Pin{.x = 5, .name = "a"}},
      {R"([5,"a","b",[1]])", Pin{.x = 5, .name = "a", .note = "b", .tags = {1}}},
      {R"([5,"a",null,[],{"green":null}])", Pin{.x = 5, .name = "a", .colour = Colour::Green}},
  };
  for (const auto& [text, pin] : cases) {
    const auto result = json::decode<Pin>(text);
    ASSERT_TRUE(result.ok()) << text << ": " << result.error().display();
    EXPECT_EQ(result.value(), pin) << text;
  }
}

TEST(Record, RefusalsNameTheFieldAndTheExpectedShape) {
  const struct {
    std::string input;
    ErrorKind kind;
    std::string message;
  } cases[] = {
      {"{}", ErrorKind::MissingField, "missing field `x`"},
      {R"({"name":"a"})", ErrorKind::MissingField, "missing field `x`"},
      {R"({"x":1,"x":2})", ErrorKind::DuplicateField, "duplicate field `x`"},
      {R"({"note":null,"note":)", ErrorKind::DuplicateField, "duplicate field `note`"},
      {R"({"X":1})", ErrorKind::MissingField, "missing field `x`"},
      {"[]", ErrorKind::InvalidLength, "invalid length 0, expected struct Pin with 5 elements"},
      // The optional note has no default in an array: the array must reach it.
      {"[1]", ErrorKind::InvalidLength, "invalid length 2, expected struct Pin with 5 elements"},
      {R"([1,"a",null,[],null,0])", ErrorKind::TrailingCharacters, "trailing characters"},
      {R"([1,"a",null,[],null,])", ErrorKind::TrailingComma, "trailing comma"},
      {R"([1,"a",null,])", ErrorKind::TrailingComma, "trailing comma"},
      {"true", ErrorKind::InvalidType, "invalid type: boolean `true`, expected struct Pin"},
      {R"({"x":1,"tags":[1,-1]})", ErrorKind::InvalidValue,
       "invalid value: integer `-1`, expected u32"},
      {R"({"x":1,"colour":"Red"})", ErrorKind::UnknownVariant,
       "unknown variant `Red`, expected `red` or `green`"},
      {R"({"x":1)", ErrorKind::EofWhileParsingObject, "EOF while parsing an object"},
  };
  for (const auto& c : cases) {
    const auto result = json::decode<Pin>(c.input);
    ASSERT_FALSE(result.ok()) << c.input;
    EXPECT_EQ(result.error().kind(), c.kind) << c.input << ": " << result.error().display();
    EXPECT_EQ(result.error().message(), c.message) << c.input;
  }
}

TEST(Record, DebugTextShowsEveryFieldEvenWhenLeftOutOfJson) {
  EXPECT_EQ(json::debug_text(Pin{.x = 1, .colour = Colour::Green}),
            R"(Pin { x: 1, name: "", note: None, tags: [], colour: Some(Green) })");
}

}  // namespace
}  // namespace json_fixtures
