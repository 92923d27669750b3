#include "actions/chat_action.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/json.hpp"
#include "json_cases.hpp"

namespace chat::actions {
namespace {

using testing::decode_ok;
using testing::ErrorCase;
using testing::expect_decode_error;
using Kind = json::ErrorKind;
using A = ChatAction;

const std::string kSendMessage =
    R"({"SendMessage":{"channel":"c1","id":"m1","author":"u1","ts":1700000000,"text":"hi",)"
    R"("parent":null,"attachment":null,"mentions":[],"reference":null}})";

ChatAction send_message_example() {
  return {
      A::SendMessage{.channel = "c1", .id = "m1", .author = "u1", .ts = 1700000000, .text = "hi"}};
}

struct EncodeCase {
  ChatAction action;
  std::string text;
};

// One value of every variant, in variant order.
std::vector<EncodeCase> every_variant() {
  AgentWork taken{.state = {AgentWorkState::Taken{}}, .since = 1700000000};
  return {
      {send_message_example(), kSendMessage},
      {{A::EditMessage{"c1", "m1", "new", 5}},
       R"({"EditMessage":{"channel":"c1","id":"m1","text":"new","ts":5}})"},
      {{A::DeleteMessage{"c1", "m1"}}, R"({"DeleteMessage":{"channel":"c1","id":"m1"}})"},
      {{A::AddReaction{"c1", "m1", "\xF0\x9F\x91\x8D", "u1"}},
       "{\"AddReaction\":{\"channel\":\"c1\",\"msg\":\"m1\",\"emoji\":\"\xF0\x9F\x91\x8D\","
       "\"user\":\"u1\"}}"},
      {{A::RemoveReaction{"c1", "m1", "x", "u1"}},
       R"({"RemoveReaction":{"channel":"c1","msg":"m1","emoji":"x","user":"u1"}})"},
      {{A::PinMessage{"c1", "m1", true}},
       R"({"PinMessage":{"channel":"c1","msg":"m1","pinned":true}})"},
      {{A::CreateChannel{"w1", "", "c2", "general", ChannelKind::Voice}},
       R"({"CreateChannel":{"workspace":"w1","category":"","id":"c2","name":"general","kind":"Voice"}})"},
      {{A::CreateCategory{"w1", "cat1", "Team"}},
       R"({"CreateCategory":{"workspace":"w1","id":"cat1","name":"Team"}})"},
      {{A::RenameCategory{"cat1", "Crew"}}, R"({"RenameCategory":{"id":"cat1","name":"Crew"}})"},
      {{A::DeleteCategory{"cat1"}}, R"({"DeleteCategory":{"id":"cat1"}})"},
      {{A::SetCategoryCollapsed{"cat1", false}},
       R"({"SetCategoryCollapsed":{"id":"cat1","collapsed":false}})"},
      {{A::ReorderChannel{"c1", true}}, R"({"ReorderChannel":{"id":"c1","up":true}})"},
      {{A::RenameChannel{"c1", "random"}}, R"({"RenameChannel":{"id":"c1","name":"random"}})"},
      {{A::DeleteChannel{"c1"}}, R"({"DeleteChannel":{"id":"c1"}})"},
      {{A::ArchiveChannel{"c1", true}}, R"({"ArchiveChannel":{"id":"c1","archived":true}})"},
      {{A::MarkRead{"c1", "u1", -3}}, R"({"MarkRead":{"channel":"c1","user":"u1","count":-3}})"},
      {{A::SetAgentWork{"c1", "m1", taken, std::nullopt}},
       R"({"SetAgentWork":{"channel":"c1","msg":"m1","work":{"state":{"state":"taken"},"since":1700000000},"say":null}})"},
      {{A::JoinCall{"v1", "u1"}}, R"({"JoinCall":{"channel":"v1","user":"u1"}})"},
      {{A::LeaveCall{"v1", "u1"}}, R"({"LeaveCall":{"channel":"v1","user":"u1"}})"},
      {{A::SetCallState{"v1", "u1", true, false, false, true}},
       R"({"SetCallState":{"channel":"v1","user":"u1","talking":true,"muted":false,"deafened":false,"audio_only":true}})"},
      {{A::SetScreenShare{"v1", "u1", true}},
       R"({"SetScreenShare":{"channel":"v1","user":"u1","sharing":true}})"},
      {{A::SetCallTicket{"v1", "u1", R"({"id":"p"})"}},
       R"({"SetCallTicket":{"channel":"v1","user":"u1","ticket":"{\"id\":\"p\"}"}})"},
  };
}

TEST(ChatActionJson, EveryVariantEncodesItsFieldsInOrderAndDecodesBack) {
  const auto cases = every_variant();
  ASSERT_EQ(cases.size(), std::variant_size_v<decltype(ChatAction::value)>);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.action.value.index(), i);
    EXPECT_EQ(json::to_text(c.action), c.text);
    const auto value = json::to_value(c.action);
    EXPECT_EQ(value.dump(), c.text);
    EXPECT_EQ(value.size(), 1u);
    EXPECT_EQ(decode_ok<ChatAction>(c.text), c.action);
  }
}

TEST(ChatActionJson, SendMessageWithEveryPayloadRoundTrips) {
  ChatAction action{A::SendMessage{
      .channel = "c1",
      .id = "m2",
      .author = "u1",
      .ts = -1,
      .text = "@bo look",
      .parent = "m1",
      .attachment = Attachment{Attachment::File{"a.txt", "b", 3}},
      .mentions = {Mention{"u2", 0, 3, true}},
      .reference = ResourceRef{"chat.message", "m1", "Message", Span{0, 5, SpanUnit::Bytes}},
  }};
  const std::string text =
      R"({"SendMessage":{"channel":"c1","id":"m2","author":"u1","ts":-1,"text":"@bo look",)"
      R"("parent":"m1","attachment":{"File":{"name":"a.txt","blob":"b","size":3}},)"
      R"("mentions":[{"user":"u2","start":0,"len":3,"is_agent":true}],)"
      R"("reference":{"kind":"chat.message","id":"m1","label":"Message",)"
      R"("span":{"start":0,"end":5,"unit":"Bytes"}}}})";
  EXPECT_EQ(json::to_text(action), text);
  EXPECT_EQ(json::to_value(action).dump(), text);
  EXPECT_EQ(decode_ok<ChatAction>(text), action);
}

TEST(ChatActionJson, AcceptedVariationsDecodeToTheSameValue) {
  const struct {
    std::string name;
    std::string input;
  } cases[] = {
      {"members in reverse order",
       R"({"SendMessage":{"reference":null,"mentions":[],"attachment":null,"parent":null,)"
       R"("text":"hi","ts":1700000000,"author":"u1","id":"m1","channel":"c1"}})"},
      {"optional and defaulted members left out",
       R"({"SendMessage":{"channel":"c1","id":"m1","author":"u1","ts":1700000000,"text":"hi"}})"},
      {"unknown members of any value skipped",
       R"({"SendMessage":{"x":{"a":[1,{"b":null}]},"channel":"c1","Channel":"c9","id":"m1",)"
       R"("y":[true,false,"s",-1.5e3],"author":"u1","ts":1700000000,"pinned":true,"text":"hi"}})"},
      {"array form with seven elements",
       R"({"SendMessage":["c1","m1","u1",1700000000,"hi",null,null]})"},
      {"array form with all nine elements",
       R"({"SendMessage":["c1","m1","u1",1700000000,"hi",null,null,[],null]})"},
      {"whitespace between all tokens",
       " \n{ \"SendMessage\" :\t{ \"channel\" : \"c1\" , \"id\":\"m1\",\"author\":\"u1\",\r\n"
       "\"ts\" : 1700000000 , \"text\" : \"hi\" } } \n\t"},
      {"escapes in names and texts",
       R"({"Send\u004dessage":{"chann\u0065l":"\u0063\u0031",)"
       R"("id":"m1","author":"u1","ts":1700000000,"text":"h\u0069"}})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(decode_ok<ChatAction>(c.input), send_message_example());
  }
}

TEST(ChatActionJson, IntegerFieldsTakeTheWholeSignedRange) {
  const struct {
    std::string ts;
    std::int64_t expected;
  } cases[] = {
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"0", 0},
      {"-0", 0},
  };
  for (const auto& c : cases) {
    const auto action = decode_ok<ChatAction>(R"({"EditMessage":{"channel":"c","id":"m",)"
                                              R"("text":"t","ts":)" +
                                              c.ts + "}}");
    EXPECT_EQ(std::get<A::EditMessage>(action.value).ts, c.expected) << c.ts;
  }
}

std::string edit_with_ts(const std::string& ts) {
  return R"({"EditMessage":{"channel":"c","id":"m","text":"t","ts":)" + ts + "}}";
}

TEST(ChatActionJson, RefusedInputsFailWithTheFirstErrorMet) {
  const std::string variant_list =
      "`SendMessage`, `EditMessage`, `DeleteMessage`, `AddReaction`, `RemoveReaction`, "
      "`PinMessage`, `CreateChannel`, `CreateCategory`, `RenameCategory`, `DeleteCategory`, "
      "`SetCategoryCollapsed`, `ReorderChannel`, `RenameChannel`, `DeleteChannel`, "
      "`ArchiveChannel`, `MarkRead`, `SetAgentWork`, `JoinCall`, `LeaveCall`, `SetCallState`, "
      "`SetScreenShare`, `SetCallTicket`";
  const ErrorCase cases[] = {
      {"without ts", R"({"SendMessage":{"channel":"c1","id":"m1","author":"u1","text":"hi"}})",
       Kind::MissingField, "missing field `ts`"},
      {"without channel and ts", R"({"SendMessage":{"id":"m1","author":"u1","text":"hi"}})",
       Kind::MissingField, "missing field `channel`"},
      {"Channel is no field name",
       R"({"SendMessage":{"Channel":"c1","id":"m1","author":"u1","ts":1,"text":"hi"}})",
       Kind::MissingField, "missing field `channel`"},
      {"two ids", R"({"SendMessage":{"channel":"c1","id":"m1","id":"m2"}})", Kind::DuplicateField,
       "duplicate field `id`"},
      {"duplicate refused before its value is read", R"({"DeleteChannel":{"id":"a","id":)",
       Kind::DuplicateField, "duplicate field `id`"},
      {"type mismatch fails at once", R"({"DeleteMessage":{"id":5,"id":"x"}})", Kind::InvalidType,
       "invalid type: integer `5`, expected a string"},
      {"array of six", R"({"SendMessage":["c1","m1","u1",1700000000,"hi",null]})",
       Kind::InvalidLength,
       "invalid length 6, expected struct variant ChatAction::SendMessage with 9 elements"},
      {"array of ten", R"({"SendMessage":["c1","m1","u1",1700000000,"hi",null,null,[],null,1]})",
       Kind::TrailingCharacters, "trailing characters"},
      {"array with a trailing comma", R"({"DeleteChannel":["c1",]})", Kind::TrailingComma,
       "trailing comma"},
      {"empty array for DeleteChannel", R"({"DeleteChannel":[]})", Kind::InvalidLength,
       "invalid length 0, expected struct variant ChatAction::DeleteChannel with 1 element"},
      {"mentions null in the array form",
       R"({"SendMessage":["c1","m1","u1",1,"hi",null,null,null]})", Kind::InvalidType,
       "invalid type: null, expected a sequence"},
      {"variant name alone", R"("SendMessage")", Kind::InvalidType,
       "invalid type: unit variant, expected struct variant"},
      {"unknown name alone", R"("Shout")", Kind::UnknownVariant,
       "unknown variant `Shout`, expected one of " + variant_list},
      {"unknown key", R"({"sendMessage":{}})", Kind::UnknownVariant,
       "unknown variant `sendMessage`, expected one of " + variant_list},
      {"second outer member", R"({"DeleteChannel":{"id":"c1"},"DeleteCategory":{"id":"x"}})",
       Kind::ExpectedValue, "expected value"},
      {"empty outer object", "{}", Kind::ExpectedValue, "expected value"},
      {"outer key not a string", "{1:2}", Kind::KeyMustBeAString, "key must be a string"},
      {"no colon", R"({"DeleteChannel" {"id":"c1"}})", Kind::ExpectedColon, ""},
      {"outer array", R"([{"DeleteChannel":{"id":"c1"}}])", Kind::ExpectedValue, "expected value"},
      {"outer null", "null", Kind::ExpectedValue, "expected value"},
      {"empty input", "", Kind::EofWhileParsingValue, "EOF while parsing a value"},
      {"only whitespace", " \n ", Kind::EofWhileParsingValue, ""},
      {"open outer object", "{", Kind::EofWhileParsingObject, "EOF while parsing an object"},
      {"unclosed outer object", R"({"DeleteChannel":{"id":"c1"})", Kind::EofWhileParsingObject, ""},
      {"unclosed variant object", R"({"DeleteChannel":{"id":"c1")", Kind::EofWhileParsingObject,
       ""},
      {"unclosed array", R"({"DeleteChannel":["c1")", Kind::EofWhileParsingList,
       "EOF while parsing a list"},
      {"variant value missing", R"({"DeleteChannel":)", Kind::EofWhileParsingValue, ""},
      {"variant value null", R"({"SendMessage":null})", Kind::InvalidType,
       "invalid type: null, expected struct variant ChatAction::SendMessage"},
      {"variant value a string", R"({"AddReaction":"x"})", Kind::InvalidType,
       "invalid type: string \"x\", expected struct variant ChatAction::AddReaction"},
      {"ts with a fraction", edit_with_ts("1.0"), Kind::InvalidType,
       "invalid type: floating point `1.0`, expected i64"},
      {"ts with an exponent", edit_with_ts("1e3"), Kind::InvalidType,
       "invalid type: floating point `1e3`, expected i64"},
      {"ts as a string", edit_with_ts(R"("1700")"), Kind::InvalidType,
       "invalid type: string \"1700\", expected i64"},
      {"ts one past the maximum", edit_with_ts("9223372036854775808"), Kind::InvalidValue,
       "invalid value: integer `9223372036854775808`, expected i64"},
      {"ts one below the minimum", edit_with_ts("-9223372036854775809"), Kind::InvalidValue,
       "invalid value: integer `-9223372036854775809`, expected i64"},
      {"ts beyond 64 bits", edit_with_ts("123456789012345678901234"), Kind::InvalidValue, ""},
      {"ts with a leading zero", edit_with_ts("01"), Kind::InvalidNumber, "invalid number"},
      {"flag as a number", R"({"PinMessage":{"channel":"c","msg":"m","pinned":1}})",
       Kind::InvalidType, "invalid type: integer `1`, expected a boolean"},
      {"kind in lower case",
       R"({"CreateChannel":{"workspace":"w","category":"","id":"c","name":"n","kind":"voice"}})",
       Kind::UnknownVariant, "unknown variant `voice`, expected `Text` or `Voice`"},
      {"error inside agent work",
       R"({"SetAgentWork":{"channel":"c","msg":"m","work":{"state":{"state":"sleeping"},"since":1}}})",
       Kind::UnknownVariant,
       "unknown variant `sleeping`, expected one of `taken`, `waiting`, `doing`, `done`, "
       "`refused`"},
      {"byte after the action", kSendMessage + " x", Kind::TrailingCharacters,
       "trailing characters"},
      {"second action after the first", kSendMessage + kSendMessage, Kind::TrailingCharacters, ""},
      {"invalid UTF-8 in a text", "{\"DeleteChannel\":{\"id\":\"\xC3\x28\"}}", Kind::InvalidUnicode,
       ""},
      {"invalid UTF-8 in a skipped member", "{\"DeleteChannel\":{\"id\":\"c\",\"z\":\"\xFF\"}}",
       Kind::InvalidUnicode, ""},
      {"invalid escape", R"({"DeleteChannel":{"id":"\x41"}})", Kind::InvalidEscape,
       "invalid escape"},
  };
  for (const auto& c : cases) expect_decode_error<ChatAction>(c);
}

TEST(ChatActionJson, EveryVariantCarriesItsExpectationTexts) {
  const std::pair<std::string, std::string> counted[] = {
      {"SendMessage", "struct variant ChatAction::SendMessage with 9 elements"},
      {"EditMessage", "struct variant ChatAction::EditMessage with 4 elements"},
      {"DeleteMessage", "struct variant ChatAction::DeleteMessage with 2 elements"},
      {"AddReaction", "struct variant ChatAction::AddReaction with 4 elements"},
      {"RemoveReaction", "struct variant ChatAction::RemoveReaction with 4 elements"},
      {"PinMessage", "struct variant ChatAction::PinMessage with 3 elements"},
      {"CreateChannel", "struct variant ChatAction::CreateChannel with 5 elements"},
      {"CreateCategory", "struct variant ChatAction::CreateCategory with 3 elements"},
      {"RenameCategory", "struct variant ChatAction::RenameCategory with 2 elements"},
      {"DeleteCategory", "struct variant ChatAction::DeleteCategory with 1 element"},
      {"SetCategoryCollapsed", "struct variant ChatAction::SetCategoryCollapsed with 2 elements"},
      {"ReorderChannel", "struct variant ChatAction::ReorderChannel with 2 elements"},
      {"RenameChannel", "struct variant ChatAction::RenameChannel with 2 elements"},
      {"DeleteChannel", "struct variant ChatAction::DeleteChannel with 1 element"},
      {"ArchiveChannel", "struct variant ChatAction::ArchiveChannel with 2 elements"},
      {"MarkRead", "struct variant ChatAction::MarkRead with 3 elements"},
      {"SetAgentWork", "struct variant ChatAction::SetAgentWork with 4 elements"},
      {"JoinCall", "struct variant ChatAction::JoinCall with 2 elements"},
      {"LeaveCall", "struct variant ChatAction::LeaveCall with 2 elements"},
      {"SetCallState", "struct variant ChatAction::SetCallState with 6 elements"},
      {"SetScreenShare", "struct variant ChatAction::SetScreenShare with 3 elements"},
      {"SetCallTicket", "struct variant ChatAction::SetCallTicket with 3 elements"},
  };
  for (const auto& [name, text] : counted) {
    expect_decode_error<ChatAction>({name + " empty array", "{\"" + name + "\":[]}",
                                     Kind::InvalidLength, "invalid length 0, expected " + text});
    expect_decode_error<ChatAction>(
        {name + " given true", "{\"" + name + "\":true}", Kind::InvalidType,
         "invalid type: boolean `true`, expected struct variant ChatAction::" + name});
  }
}

TEST(ChatActionJson, SetAgentWorkArrayTakesDefaultsAfterWork) {
  const auto action = decode_ok<ChatAction>(
      R"({"SetAgentWork":["c1","m1",{"state":{"state":"done","did":"x"},"since":2}]})");
  const ChatAction expected{A::SetAgentWork{
      "c1", "m1", AgentWork{.state = {AgentWorkState::Done{"x"}}, .since = 2}, std::nullopt}};
  EXPECT_EQ(action, expected);
  expect_decode_error<ChatAction>({"array of two", R"({"SetAgentWork":["c1","m1"]})",
                                   Kind::InvalidLength,
                                   "invalid length 2, expected struct variant "
                                   "ChatAction::SetAgentWork with 4 elements"});
}

TEST(ChatActionJson, NestingIsLimitedTo128LevelsIncludingSkippedMembers) {
  // The outer object and the variant's object are the first two levels.
  const auto with_nested_arrays = [](int depth) {
    return R"({"DeleteChannel":{"id":"c1","deep":)" + std::string(depth, '[') +
           std::string(depth, ']') + "}}";
  };
  EXPECT_EQ(decode_ok<ChatAction>(with_nested_arrays(126)), ChatAction{A::DeleteChannel{"c1"}});
  expect_decode_error<ChatAction>({"129 levels", with_nested_arrays(127),
                                   Kind::RecursionLimitExceeded, "recursion limit exceeded"});
  expect_decode_error<ChatAction>(
      {"very deep", with_nested_arrays(100000), Kind::RecursionLimitExceeded, ""});
}

TEST(ChatActionJson, ErrorsTellLineAndColumn) {
  const struct {
    std::string input;
    std::size_t line;
    std::size_t column;
  } cases[] = {
      {"", 1, 0},
      {"{\n  \"DeleteChannel\": {\n    \"id\": 7\n  }\n}", 3, 11},
      {"{\"DeleteChannel\":{\"id\":\"c1\"}} x", 1, 31},
      {"{\"DeleteChannel\":\n{}}", 2, 2},
  };
  for (const auto& c : cases) {
    const auto result = json::decode<ChatAction>(c.input);
    ASSERT_FALSE(result.ok()) << c.input;
    EXPECT_EQ(result.error().line(), c.line) << c.input;
    EXPECT_EQ(result.error().column(), c.column) << c.input;
  }
  const auto result = json::decode<ChatAction>("{\n  \"DeleteChannel\": {\n    \"id\": 7\n  }\n}");
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().display(),
            "invalid type: integer `7`, expected a string at line 3 column 11");
}

TEST(ChatActionJson, DebugTextNamesTheVariantAndEveryFieldInOrder) {
  const struct {
    ChatAction action;
    std::string text;
  } cases[] = {
      {send_message_example(),
       R"(SendMessage { channel: "c1", id: "m1", author: "u1", ts: 1700000000, text: "hi", )"
       R"(parent: None, attachment: None, mentions: [], reference: None })"},
      {{A::SendMessage{.channel = "c\"1",
                       .ts = -2,
                       .text = "a\nb",
                       .parent = "p",
                       .attachment = Attachment{Attachment::Image{"i.png", "b", 2, 3}},
                       .mentions = {Mention{"u", 1, 2, false}},
                       .reference = ResourceRef{"k", "i", "l", Span{0, 1, SpanUnit::Chars}}}},
       R"(SendMessage { channel: "c\"1", id: "", author: "", ts: -2, text: "a\nb", )"
       R"(parent: Some("p"), attachment: Some(Image { name: "i.png", blob: "b", w: 2, h: 3 }), )"
       R"(mentions: [Mention { user: "u", start: 1, len: 2, is_agent: false }], )"
       R"(reference: Some(ResourceRef { kind: "k", id: "i", label: "l", )"
       R"(span: Some(Span { start: 0, end: 1, unit: Chars }) }) })"},
      {{A::CreateChannel{"w", "", "c", "n", ChannelKind::Voice}},
       R"(CreateChannel { workspace: "w", category: "", id: "c", name: "n", kind: Voice })"},
      {{A::SetAgentWork{
           "c", "m",
           AgentWork{.state = {AgentWorkState::Doing{"post", "c1"}},
                     .since = 5,
                     .reasoning = AgentReasoning{AgentRoute::Floor, "rule"},
                     .trace = {AgentStep{"s1", 1, "r", "L", {AgentStepOutcome::NoChange{}}}}},
           "hey"}},
       R"(SetAgentWork { channel: "c", msg: "m", work: AgentWork { state: Doing { did: "post", )"
       R"(about: "c1" }, since: 5, reasoning: Some(AgentReasoning { route: Floor, why: "rule" }), )"
       R"(trace: [AgentStep { id: "s1", sequence: 1, resource: "r", label: "L", )"
       R"(outcome: NoChange }] }, say: Some("hey") })"},
  };
  for (const auto& c : cases) EXPECT_EQ(json::debug_text(c.action), c.text);
}

}  // namespace
}  // namespace chat::actions
