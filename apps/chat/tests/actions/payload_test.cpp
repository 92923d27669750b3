#include "actions/payload.hpp"

#include <gtest/gtest.h>

#include <string>

#include "json/json.hpp"
#include "json_cases.hpp"

namespace chat::actions {
namespace {

using testing::decode_ok;
using testing::ErrorCase;
using testing::expect_decode_error;
using Kind = json::ErrorKind;

const ResourceRef kMessageRef{"chat.message", "m1", "Message", std::nullopt};

template <class T>
void expect_encodes(const T& value, const std::string& text) {
  EXPECT_EQ(json::to_text(value), text);
  EXPECT_EQ(json::to_value(value).dump(), text);
  EXPECT_EQ(decode_ok<T>(text), value) << text;
}

TEST(PayloadJson, RecordsEncodeCompactlyInFieldOrder) {
  expect_encodes(Span{0, 5, SpanUnit::Chars}, R"({"start":0,"end":5,"unit":"Chars"})");
  expect_encodes(kMessageRef, R"({"kind":"chat.message","id":"m1","label":"Message","span":null})");
  expect_encodes(ResourceRef{"k", "i", "l", Span{3, 18446744073709551615u, SpanUnit::Bytes}},
                 R"({"kind":"k","id":"i","label":"l",)"
                 R"("span":{"start":3,"end":18446744073709551615,"unit":"Bytes"}})");
  expect_encodes(Attachment{Attachment::Video{"clip.mp4", "b1", 1280, 720, 1048576}},
                 R"({"Video":{"name":"clip.mp4","blob":"b1","w":1280,"h":720,"size":1048576}})");
  expect_encodes(Attachment{Attachment::Image{"a.png", "b2", 4294967295u, 1}},
                 R"({"Image":{"name":"a.png","blob":"b2","w":4294967295,"h":1}})");
  expect_encodes(Attachment{Attachment::File{"n", "b3", 0}},
                 R"({"File":{"name":"n","blob":"b3","size":0}})");
  expect_encodes(Mention{"u1", 0, 5, false}, R"({"user":"u1","start":0,"len":5,"is_agent":false})");
  expect_encodes(ChannelKind::Voice, R"("Voice")");
  expect_encodes(ChannelKind::Text, R"("Text")");
  expect_encodes(SpanUnit::Bytes, R"("Bytes")");
}

TEST(PayloadJson, AcceptedFormsDecode) {
  EXPECT_EQ(decode_ok<ResourceRef>(R"({"kind":"chat.message","id":"m1","label":"Message"})"),
            kMessageRef);
  EXPECT_EQ(decode_ok<ResourceRef>(R"(["chat.message","m1","Message",null])"), kMessageRef);
  EXPECT_EQ(
      decode_ok<ResourceRef>(
          R"({"extra":[{"a":1}],"label":"Message","id":"m1","more":null,"kind":"chat.message"})"),
      kMessageRef);
  EXPECT_EQ(decode_ok<Mention>(R"(["u1",0,5,false])"), (Mention{"u1", 0, 5, false}));
  EXPECT_EQ(decode_ok<Span>(R"([1,2,{"Bytes":null}])"), (Span{1, 2, SpanUnit::Bytes}));
  EXPECT_EQ(decode_ok<SpanUnit>(R"("Bytes")"), SpanUnit::Bytes);
  EXPECT_EQ(decode_ok<SpanUnit>(R"({"Bytes":null})"), SpanUnit::Bytes);
  EXPECT_EQ(decode_ok<SpanUnit>(R"( { "Chars" : null } )"), SpanUnit::Chars);
  EXPECT_EQ(decode_ok<Attachment>(R"({"Image":["a","b",0,4294967295]})"),
            (Attachment{Attachment::Image{"a", "b", 0, 4294967295u}}));
  EXPECT_EQ(
      decode_ok<Attachment>(R"({"File":{"size":18446744073709551615,"name":"n","blob":"b"}})"),
      (Attachment{Attachment::File{"n", "b", 18446744073709551615u}}));
}

TEST(PayloadJson, RefusedInputsFail) {
  const ErrorCase resource_cases[] = {
      {"three elements", R"(["chat.message","m1","Message"])", Kind::InvalidLength,
       "invalid length 3, expected struct ResourceRef with 4 elements"},
      {"without label", R"({"kind":"chat.message","id":"m1"})", Kind::MissingField,
       "missing field `label`"},
      {"a number", "5", Kind::InvalidType,
       "invalid type: integer `5`, expected struct ResourceRef"},
      {"two kinds", R"({"kind":"a","kind":"b"})", Kind::DuplicateField, "duplicate field `kind`"},
      {"span of the wrong type", R"({"kind":"a","id":"i","label":"l","span":"x"})",
       Kind::InvalidType, "invalid type: string \"x\", expected struct Span"},
      {"span too short", R"({"kind":"a","id":"i","label":"l","span":[1,2]})", Kind::InvalidLength,
       "invalid length 2, expected struct Span with 3 elements"},
      {"five elements", R"(["a","i","l",null,null])", Kind::TrailingCharacters, ""},
  };
  for (const auto& c : resource_cases) expect_decode_error<ResourceRef>(c);

  const ErrorCase attachment_cases[] = {
      {"w beyond 32 bits", R"({"Image":{"name":"a","blob":"b","w":4294967296,"h":1}})",
       Kind::InvalidValue, "invalid value: integer `4294967296`, expected u32"},
      {"negative w", R"({"Image":{"name":"a","blob":"b","w":-1,"h":1}})", Kind::InvalidValue,
       "invalid value: integer `-1`, expected u32"},
      {"w with a fraction", R"({"Image":{"name":"a","blob":"b","w":1.5,"h":1}})", Kind::InvalidType,
       "invalid type: floating point `1.5`, expected u32"},
      {"size beyond 64 bits", R"({"File":{"name":"a","blob":"b","size":18446744073709551616}})",
       Kind::InvalidValue, "invalid value: integer `18446744073709551616`, expected u64"},
      {"negative size", R"({"File":{"name":"a","blob":"b","size":-5}})", Kind::InvalidValue,
       "invalid value: integer `-5`, expected u64"},
      {"image without h", R"({"Image":{"name":"a","blob":"b","w":1}})", Kind::MissingField,
       "missing field `h`"},
      {"unknown variant", R"({"Photo":{"name":"a"}})", Kind::UnknownVariant,
       "unknown variant `Photo`, expected one of `Image`, `Video`, `File`"},
      {"variant name alone", R"("Image")", Kind::InvalidType,
       "invalid type: unit variant, expected struct variant"},
      {"empty object", "{}", Kind::ExpectedValue, "expected value"},
      {"second member", R"({"File":{"name":"a","blob":"b","size":1},"Image":{}})",
       Kind::ExpectedValue, "expected value"},
      {"an array", R"([{"File":{}}])", Kind::ExpectedValue, "expected value"},
      {"video too short", R"({"Video":["a","b",1,2]})", Kind::InvalidLength,
       "invalid length 4, expected struct variant Attachment::Video with 5 elements"},
      {"file given null", R"({"File":null})", Kind::InvalidType,
       "invalid type: null, expected struct variant Attachment::File"},
      {"image too short", R"({"Image":[]})", Kind::InvalidLength,
       "invalid length 0, expected struct variant Attachment::Image with 4 elements"},
      {"file too short", R"({"File":["a"]})", Kind::InvalidLength,
       "invalid length 1, expected struct variant Attachment::File with 3 elements"},
  };
  for (const auto& c : attachment_cases) expect_decode_error<Attachment>(c);

  const ErrorCase mention_cases[] = {
      {"without is_agent", R"({"user":"u1","start":0,"len":5})", Kind::MissingField,
       "missing field `is_agent`"},
      {"too short", R"(["u1",0])", Kind::InvalidLength,
       "invalid length 2, expected struct Mention with 4 elements"},
      {"a string", R"("u1")", Kind::InvalidType,
       "invalid type: string \"u1\", expected struct Mention"},
  };
  for (const auto& c : mention_cases) expect_decode_error<Mention>(c);

  const ErrorCase unit_cases[] = {
      {"lower case", R"("bytes")", Kind::UnknownVariant,
       "unknown variant `bytes`, expected `Chars` or `Bytes`"},
      {"object with a value", R"({"Bytes":1})", Kind::InvalidType,
       "invalid type: integer `1`, expected unit"},
      {"object with a second member", R"({"Bytes":null,"Chars":null})", Kind::ExpectedValue, ""},
      {"a number", "0", Kind::ExpectedValue, "expected value"},
  };
  for (const auto& c : unit_cases) expect_decode_error<SpanUnit>(c);
  expect_decode_error<ChannelKind>({"lower case", R"("voice")", Kind::UnknownVariant,
                                    "unknown variant `voice`, expected `Text` or `Voice`"});
}

TEST(PayloadJson, StoredReferenceTextCountsItsOwnNesting) {
  // The record itself is the first of 128 levels.
  const auto with_nested_arrays = [](int depth) {
    return R"({"kind":"k","id":"i","label":"l","x":)" + std::string(depth, '[') +
           std::string(depth, ']') + "}";
  };
  EXPECT_TRUE(json::decode<ResourceRef>(with_nested_arrays(127)).ok());
  expect_decode_error<ResourceRef>({"129 levels", with_nested_arrays(128),
                                    Kind::RecursionLimitExceeded, "recursion limit exceeded"});
}

TEST(PayloadJson, DebugTextNamesVariantsAndFields) {
  EXPECT_EQ(json::debug_text(Attachment{Attachment::Video{"v", "b", 1, 2, 3}}),
            R"(Video { name: "v", blob: "b", w: 1, h: 2, size: 3 })");
  EXPECT_EQ(json::debug_text(kMessageRef),
            R"(ResourceRef { kind: "chat.message", id: "m1", label: "Message", span: None })");
  EXPECT_EQ(json::debug_text(ChannelKind::Text), "Text");
}

}  // namespace
}  // namespace chat::actions
