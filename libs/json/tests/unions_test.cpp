#include "json/unions.hpp"

#include <gtest/gtest.h>

#include <string>

#include "fixtures.hpp"
#include "json/json.hpp"

namespace json_fixtures {
namespace {

using json::ErrorKind;

struct Refusal {
  std::string input;
  ErrorKind kind;
  std::string message;
};

template <class T>
void expect_refusals(const std::vector<Refusal>& cases) {
  for (const auto& c : cases) {
    const auto result = json::decode<T>(c.input);
    ASSERT_FALSE(result.ok()) << c.input;
    EXPECT_EQ(result.error().kind(), c.kind) << c.input << ": " << result.error().display();
    if (!c.message.empty()) {
      EXPECT_EQ(result.error().message(), c.message) << c.input;
    }
  }
}

template <class T>
void expect_decodes(const std::string& input, const T& expected) {
  const auto result = json::decode<T>(input);
  ASSERT_TRUE(result.ok()) << input << ": " << result.error().display();
  EXPECT_EQ(result.value(), expected) << input;
}

TEST(InternalUnion, WritesTheTagFirstThenTheFields) {
  const std::pair<Shape, std::string> cases[] = {
      {Shape{Shape::Dot{}}, R"({"kind":"dot"})"},
      {Shape{Shape::Line{7}}, R"({"kind":"line","length":7})"},
      {Shape{Shape::Box{1, 2}}, R"({"kind":"box","w":1,"h":2})"},
  };
  for (const auto& [shape, text] : cases) {
    EXPECT_EQ(json::to_text(shape), text);
    EXPECT_EQ(json::to_value(shape).dump(), text);
    expect_decodes(text, shape);
  }
}

TEST(InternalUnion, FindsTheTagAnywhereAndReadsFieldsAroundIt) {
  expect_decodes(R"({"h":2,"w":1,"kind":"box"})", Shape{Shape::Box{1, 2}});
  expect_decodes(R"({"w":1,"kind":"box","h":2})", Shape{Shape::Box{1, 2}});
  expect_decodes(R"({"x":{"kind":"dot"},"kind":"line","length":3})", Shape{Shape::Line{3}});
  expect_decodes(R"({"kind":"dot","length":3})", Shape{Shape::Dot{}});
  expect_decodes(R"(["box",1,2])", Shape{Shape::Box{1, 2}});
  expect_decodes(R"(["dot"])", Shape{Shape::Dot{}});
  expect_decodes(R"( { "kind" : "line" , "length" : 0 } )", Shape{Shape::Line{0}});
}

TEST(InternalUnion, Refusals) {
  expect_refusals<Shape>({
      {"{}", ErrorKind::MissingField, "missing field `kind`"},
      {R"({"w":1})", ErrorKind::MissingField, "missing field `kind`"},
      {"[]", ErrorKind::MissingField, "missing field `kind`"},
      {R"({"kind":"Box"})", ErrorKind::UnknownVariant,
       "unknown variant `Box`, expected one of `dot`, `line`, `box`"},
      {R"({"kind":null})", ErrorKind::InvalidType,
       "invalid type: null, expected variant identifier"},
      {R"({"kind":"dot","kind":"dot"})", ErrorKind::DuplicateField, "duplicate field `kind`"},
      {R"({"w":1,"w":1,"kind":"box"})", ErrorKind::DuplicateField, "duplicate field `w`"},
      {R"({"w":"1","kind":"box","h":2})", ErrorKind::InvalidType,
       "invalid type: string \"1\", expected u32"},
      {R"({"kind":"box","w":1})", ErrorKind::MissingField, "missing field `h`"},
      {R"(["box",1])", ErrorKind::InvalidLength,
       "invalid length 1, expected struct variant Shape::Box with 2 elements"},
      {R"(["line"])", ErrorKind::InvalidLength,
       "invalid length 0, expected struct variant Shape::Line with 1 element"},
      {R"(["line",1,2])", ErrorKind::TrailingCharacters, ""},
      {R"(["dot",])", ErrorKind::TrailingComma, ""},
      {R"("dot")", ErrorKind::InvalidType,
       "invalid type: string \"dot\", expected internally tagged enum Shape"},
      {R"({"kind":"box","w":1,"h":2)", ErrorKind::EofWhileParsingObject, ""},
      {R"({"kind")", ErrorKind::EofWhileParsingObject, ""},
  });
}

TEST(ExternalUnion, WritesOneMemberNamedAfterTheVariant) {
  const Order draw{Command::Draw{Shape{Shape::Line{2}}, {Pin{.x = 1}}}};
  const std::string text =
      R"({"Draw":{"shape":{"kind":"line","length":2},"pins":[{"x":1,"name":"","note":null}]}})";
  EXPECT_EQ(json::to_text(draw), text);
  EXPECT_EQ(json::to_value(draw).dump(), text);
  expect_decodes(text, draw);
  expect_decodes(R"({"Draw":{"shape":["dot"]}})", Order{Command::Draw{Shape{Shape::Dot{}}, {}}});
  expect_decodes(R"({"Move":[-4]})", Order{Command::Move{-4}});
  EXPECT_EQ(json::debug_text(draw),
            R"(Draw { shape: Line { length: 2 }, pins: [Pin { x: 1, name: "", note: None, )"
            R"(tags: [], colour: None }] })");
}

TEST(ExternalUnion, Refusals) {
  expect_refusals<Order>({
      {R"("Move")", ErrorKind::InvalidType, "invalid type: unit variant, expected struct variant"},
      {R"("Jump")", ErrorKind::UnknownVariant, "unknown variant `Jump`, expected `Move` or `Draw`"},
      {R"({"Jump":{}})", ErrorKind::UnknownVariant, ""},
      {"{}", ErrorKind::ExpectedValue, "expected value"},
      {R"({"Move":{"by":1},"Move":{"by":1}})", ErrorKind::ExpectedValue, "expected value"},
      {R"({"Move":{"by":1})", ErrorKind::EofWhileParsingObject, ""},
      {R"({"Move" 1})", ErrorKind::ExpectedColon, ""},
      {"[]", ErrorKind::ExpectedValue, ""},
      {"7", ErrorKind::ExpectedValue, ""},
      {"", ErrorKind::EofWhileParsingValue, ""},
      {R"({"Move":7})", ErrorKind::InvalidType,
       "invalid type: integer `7`, expected struct variant Order::Move"},
      {R"({"Move":[]})", ErrorKind::InvalidLength,
       "invalid length 0, expected struct variant Order::Move with 1 element"},
      {R"({"Draw":{"pins":[]}})", ErrorKind::MissingField, "missing field `shape`"},
  });
}

TEST(UnitEnum, TakesANameOrAnObjectWithNull) {
  expect_decodes(R"("green")", Colour::Green);
  expect_decodes(R"({"red":null})", Colour::Red);
  expect_refusals<Colour>({
      {R"("Green")", ErrorKind::UnknownVariant,
       "unknown variant `Green`, expected `red` or `green`"},
      {R"({"red":{}})", ErrorKind::InvalidType, "invalid type: map, expected unit"},
      {R"({"red":null,"red":null})", ErrorKind::ExpectedValue, ""},
      {"{}", ErrorKind::ExpectedValue, ""},
      {"null", ErrorKind::ExpectedValue, ""},
      {"1", ErrorKind::ExpectedValue, ""},
  });
  EXPECT_EQ(json::debug_text(Colour::Red), "Red");
  EXPECT_EQ(json::to_text(Colour::Red), R"("red")");
}

}  // namespace
}  // namespace json_fixtures
