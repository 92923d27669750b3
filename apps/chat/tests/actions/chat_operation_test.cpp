#include "actions/chat_operation.hpp"

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
using Op = ChatOperation;

TEST(ChatOperationJson, EveryVariantEncodesItsFieldsInOrderAndDecodesBack) {
  const std::pair<ChatOperation, std::string> cases[] = {
      {{Op::OpenWorkspace{"w1"}}, R"({"OpenWorkspace":{"workspace":"w1"}})"},
      {{Op::OpenChannel{"w1", "c1"}}, R"({"OpenChannel":{"workspace":"w1","channel":"c1"}})"},
      {{Op::OpenCategory{"w1", "k1"}}, R"({"OpenCategory":{"workspace":"w1","category":"k1"}})"},
      {{Op::RevealMessage{"w1", "c1", "m1", std::nullopt}},
       R"({"RevealMessage":{"workspace":"w1","channel":"c1","message":"m1","parent":null}})"},
      {{Op::RevealMessage{"w1", "c1", "m2", "m1"}},
       R"({"RevealMessage":{"workspace":"w1","channel":"c1","message":"m2","parent":"m1"}})"},
      {{Op::OpenPerson{"u1"}}, R"({"OpenPerson":{"user":"u1"}})"},
      {{Op::ImportAttachment{"c1", "/tmp/a b.png"}},
       R"({"ImportAttachment":{"channel":"c1","path":"/tmp/a b.png"}})"},
  };
  for (const auto& [operation, text] : cases) {
    EXPECT_EQ(json::to_text(operation), text);
    EXPECT_EQ(decode_ok<ChatOperation>(text), operation) << text;
  }
}

TEST(ChatOperationJson, AcceptedFormsDecode) {
  const ChatOperation reveal{Op::RevealMessage{"w1", "c1", "m1", std::nullopt}};
  EXPECT_EQ(decode_ok<ChatOperation>(
                R"({"RevealMessage":{"workspace":"w1","channel":"c1","message":"m1"}})"),
            reveal);
  EXPECT_EQ(decode_ok<ChatOperation>(R"({"RevealMessage":["w1","c1","m1",null]})"), reveal);
  EXPECT_EQ(decode_ok<ChatOperation>(R"({"ImportAttachment":{"path":"","channel":"c1","x":{}}})"),
            (ChatOperation{Op::ImportAttachment{"c1", ""}}));
}

TEST(ChatOperationJson, RefusedInputsFail) {
  const std::string names =
      "`OpenWorkspace`, `OpenChannel`, `OpenCategory`, `RevealMessage`, `OpenPerson`, "
      "`ImportAttachment`";
  const ErrorCase cases[] = {
      {"reveal of three elements", R"({"RevealMessage":["w1","c1","m1"]})", Kind::InvalidLength,
       "invalid length 3, expected struct variant ChatOperation::RevealMessage with 4 elements"},
      {"import without path", R"({"ImportAttachment":{"channel":"c1"}})", Kind::MissingField,
       "missing field `path`"},
      {"variant name alone", R"("OpenPerson")", Kind::InvalidType,
       "invalid type: unit variant, expected struct variant"},
      {"an action's name", R"({"SendMessage":{}})", Kind::UnknownVariant,
       "unknown variant `SendMessage`, expected one of " + names},
      {"open workspace empty", R"({"OpenWorkspace":[]})", Kind::InvalidLength,
       "invalid length 0, expected struct variant ChatOperation::OpenWorkspace with 1 element"},
      {"open channel short", R"({"OpenChannel":["w"]})", Kind::InvalidLength,
       "invalid length 1, expected struct variant ChatOperation::OpenChannel with 2 elements"},
      {"open category short", R"({"OpenCategory":[]})", Kind::InvalidLength,
       "invalid length 0, expected struct variant ChatOperation::OpenCategory with 2 elements"},
      {"open person empty", R"({"OpenPerson":[]})", Kind::InvalidLength,
       "invalid length 0, expected struct variant ChatOperation::OpenPerson with 1 element"},
      {"import short", R"({"ImportAttachment":["c"]})", Kind::InvalidLength,
       "invalid length 1, expected struct variant ChatOperation::ImportAttachment with 2 elements"},
      {"reveal given a number", R"({"RevealMessage":1})", Kind::InvalidType,
       "invalid type: integer `1`, expected struct variant ChatOperation::RevealMessage"},
      {"two channels", R"({"OpenChannel":{"channel":"a","channel":"b"}})", Kind::DuplicateField,
       "duplicate field `channel`"},
      {"extra element", R"({"OpenPerson":["u1","u2"]})", Kind::TrailingCharacters, ""},
      {"trailing comma", R"({"OpenPerson":["u1",]})", Kind::TrailingComma, ""},
      {"second outer member", R"({"OpenPerson":{"user":"u"},"x":1})", Kind::ExpectedValue, ""},
      {"bytes after", R"({"OpenPerson":{"user":"u"}}])", Kind::TrailingCharacters, ""},
  };
  for (const auto& c : cases) expect_decode_error<ChatOperation>(c);
}

}  // namespace
}  // namespace chat::actions
