#include "actions/agent_work.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "json/json.hpp"
#include "json_cases.hpp"

namespace chat::actions {
namespace {

using testing::decode_ok;
using testing::ErrorCase;
using testing::expect_decode_error;
using Kind = json::ErrorKind;
using State = AgentWorkState;
using Outcome = AgentStepOutcome;

const std::string kDoingWork =
    R"({"state":{"state":"doing","did":"post","about":"c1"},"since":5,)"
    R"("reasoning":{"route":"floor","why":"rule"},"trace":[{"id":"s1","sequence":1,)"
    R"("resource":"chat.channel:c1","label":"Post","outcome":{"outcome":"applied"}}]})";

AgentWork doing_work() {
  return {.state = {State::Doing{"post", "c1"}},
          .since = 5,
          .reasoning = AgentReasoning{AgentRoute::Floor, "rule"},
          .trace = {AgentStep{"s1", 1, "chat.channel:c1", "Post", {Outcome::Applied{}}}}};
}

template <class T>
void expect_encodes(const T& value, const std::string& text) {
  SCOPED_TRACE(text);
  EXPECT_EQ(json::to_text(value), text);
  EXPECT_EQ(json::to_value(value).dump(), text);
  EXPECT_EQ(decode_ok<T>(text), value);
}

TEST(AgentWorkJson, RecordsEncodeCompactlyLeavingOutAbsentParts) {
  expect_encodes(AgentWork{.state = {State::Taken{}}, .since = 1700000000},
                 R"({"state":{"state":"taken"},"since":1700000000})");
  expect_encodes(doing_work(), kDoingWork);
  expect_encodes(StoredAgentTransition{{State::Done{"x"}}, -1},
                 R"({"state":{"state":"done","did":"x"},"since":-1})");
  expect_encodes(std::optional<AgentReasoning>{}, "null");
  expect_encodes(std::optional<AgentReasoning>{AgentReasoning{AgentRoute::Model, ""}},
                 R"({"route":"model","why":""})");
}

TEST(AgentWorkJson, EveryStateAndOutcomeHasItsTaggedForm) {
  const std::pair<State, std::string> states[] = {
      {{State::Taken{}}, R"({"state":"taken"})"},
      {{State::Waiting{"cal"}}, R"({"state":"waiting","app":"cal"})"},
      {{State::Doing{"d", "a"}}, R"({"state":"doing","did":"d","about":"a"})"},
      {{State::Done{"d"}}, R"({"state":"done","did":"d"})"},
      {{State::Refused{}}, R"({"state":"refused"})"},
  };
  for (const auto& [state, text] : states) expect_encodes(state, text);
  const std::pair<Outcome, std::string> outcomes[] = {
      {{Outcome::Asked{}}, R"({"outcome":"asked"})"},
      {{Outcome::Applied{}}, R"({"outcome":"applied"})"},
      {{Outcome::NoChange{}}, R"({"outcome":"no_change"})"},
      {{Outcome::Refused{"no"}}, R"({"outcome":"refused","why":"no"})"},
  };
  for (const auto& [outcome, text] : outcomes) expect_encodes(outcome, text);
}

TEST(AgentWorkJson, AcceptedFormsDecode) {
  const AgentWork bare{.state = {State::Taken{}}, .since = 7};
  EXPECT_EQ(decode_ok<AgentWork>(R"({"since":7,"state":{"state":"taken"}})"), bare);
  EXPECT_EQ(decode_ok<AgentWork>(R"([{"state":"taken"},7])"), bare);
  EXPECT_EQ(decode_ok<AgentWork>(R"([{"state":"taken"},7,null,[]])"), bare);
  EXPECT_EQ(decode_ok<AgentWork>(R"({"state":{"state":"taken"},"since":7,"reasoning":null})"),
            bare);
  EXPECT_EQ(decode_ok<AgentStep>(R"({"resource":"r","label":"l","outcome":{"outcome":"asked"}})"),
            (AgentStep{"", 0, "r", "l", {Outcome::Asked{}}}));
  EXPECT_EQ(decode_ok<AgentStep>(R"(["s",3,"r","l",["no_change"]])"),
            (AgentStep{"s", 3, "r", "l", {Outcome::NoChange{}}}));
  EXPECT_EQ(decode_ok<AgentReasoning>(R"({"route":"model"})"),
            (AgentReasoning{AgentRoute::Model, ""}));
  EXPECT_EQ(decode_ok<AgentReasoning>(R"([{"floor":null}])"),
            (AgentReasoning{AgentRoute::Floor, ""}));
  EXPECT_EQ(decode_ok<std::optional<AgentReasoning>>("null"), std::nullopt);
  EXPECT_EQ(decode_ok<StoredAgentTransition>(R"([{"state":"waiting","app":"a"},3])"),
            (StoredAgentTransition{{State::Waiting{"a"}}, 3}));

  const std::pair<std::string, Outcome> outcomes[] = {
      {R"({"why":"w","outcome":"refused"})", {Outcome::Refused{"w"}}},
      {R"({"outcome":"asked","why":"ignored"})", {Outcome::Asked{}}},
      {R"(["refused","w"])", {Outcome::Refused{"w"}}},
      {R"({"x":[{"outcome":"asked"}],"outcome":"applied"})", {Outcome::Applied{}}},
  };
  for (const auto& [text, outcome] : outcomes) EXPECT_EQ(decode_ok<Outcome>(text), outcome) << text;
  const std::pair<std::string, State> states[] = {
      {R"({"about":"a","did":"d","state":"doing"})", {State::Doing{"d", "a"}}},
      {R"(["doing","d","a"])", {State::Doing{"d", "a"}}},
      {R"(["taken"])", {State::Taken{}}},
      {R"({"app":"x","state":"refused"})", {State::Refused{}}},
  };
  for (const auto& [text, state] : states) EXPECT_EQ(decode_ok<State>(text), state) << text;
}

TEST(AgentWorkJson, RefusedInputsFail) {
  const ErrorCase work_cases[] = {
      {"without since", R"({"state":{"state":"taken"}})", Kind::MissingField,
       "missing field `since`"},
      {"without state", R"({"since":1})", Kind::MissingField, "missing field `state`"},
      {"one element", R"([{"state":"taken"}])", Kind::InvalidLength,
       "invalid length 1, expected struct AgentWork with 4 elements"},
      {"five elements", R"([{"state":"taken"},1,null,[],0])", Kind::TrailingCharacters, ""},
      {"a string", R"("taken")", Kind::InvalidType,
       "invalid type: string \"taken\", expected struct AgentWork"},
      {"since beyond the range", R"({"state":{"state":"taken"},"since":9223372036854775808})",
       Kind::InvalidValue, ""},
      {"two traces", R"({"state":{"state":"taken"},"since":1,"trace":[],"trace":[]})",
       Kind::DuplicateField, "duplicate field `trace`"},
  };
  for (const auto& c : work_cases) expect_decode_error<AgentWork>(c);

  const ErrorCase step_cases[] = {
      {"empty array", "[]", Kind::InvalidLength,
       "invalid length 2, expected struct AgentStep with 5 elements"},
      {"negative sequence", R"({"sequence":-1,"resource":"r","label":"l","outcome":["asked"]})",
       Kind::InvalidValue, "invalid value: integer `-1`, expected u64"},
      {"without outcome", R"({"resource":"r","label":"l"})", Kind::MissingField,
       "missing field `outcome`"},
      {"null", "null", Kind::InvalidType, "invalid type: null, expected struct AgentStep"},
  };
  for (const auto& c : step_cases) expect_decode_error<AgentStep>(c);

  const ErrorCase outcome_cases[] = {
      {"refused without why", R"({"outcome":"refused"})", Kind::MissingField,
       "missing field `why`"},
      {"capital A", R"({"outcome":"Asked"})", Kind::UnknownVariant,
       "unknown variant `Asked`, expected one of `asked`, `applied`, `no_change`, `refused`"},
      {"empty object", "{}", Kind::MissingField, "missing field `outcome`"},
      {"bare string", R"("asked")", Kind::InvalidType,
       "invalid type: string \"asked\", expected internally tagged enum AgentStepOutcome"},
      {"tag of another type", R"({"outcome":1})", Kind::InvalidType,
       "invalid type: integer `1`, expected variant identifier"},
      {"two tags", R"({"outcome":"asked","outcome":"asked"})", Kind::DuplicateField,
       "duplicate field `outcome`"},
      {"two whys", R"({"outcome":"refused","why":"a","why":"b"})", Kind::DuplicateField,
       "duplicate field `why`"},
      {"why of another type", R"({"why":false,"outcome":"refused"})", Kind::InvalidType,
       "invalid type: boolean `false`, expected a string"},
      {"empty array", "[]", Kind::MissingField, "missing field `outcome`"},
      {"refused array without why", R"(["refused"])", Kind::InvalidLength,
       "invalid length 0, expected struct variant AgentStepOutcome::Refused with 1 element"},
      {"asked array with more", R"(["asked","x"])", Kind::TrailingCharacters, ""},
      {"tag element not a string", R"([true])", Kind::InvalidType,
       "invalid type: boolean `true`, expected variant identifier"},
      {"syntax error before the tag", R"({"x":[1,],"outcome":"asked"})", Kind::TrailingComma, ""},
  };
  for (const auto& c : outcome_cases) expect_decode_error<Outcome>(c);

  const ErrorCase state_cases[] = {
      {"doing with one text", R"(["doing","post"])", Kind::InvalidLength,
       "invalid length 1, expected struct variant AgentWorkState::Doing with 2 elements"},
      {"waiting without app", R"({"state":"waiting"})", Kind::MissingField, "missing field `app`"},
      {"waiting array empty", R"(["waiting"])", Kind::InvalidLength,
       "invalid length 0, expected struct variant AgentWorkState::Waiting with 1 element"},
      {"done array empty", R"(["done"])", Kind::InvalidLength,
       "invalid length 0, expected struct variant AgentWorkState::Done with 1 element"},
      {"doing without about", R"({"state":"doing","did":"x"})", Kind::MissingField,
       "missing field `about`"},
      {"unknown tag", R"({"state":"idle"})", Kind::UnknownVariant,
       "unknown variant `idle`, expected one of `taken`, `waiting`, `doing`, `done`, `refused`"},
      {"a number", "3", Kind::InvalidType,
       "invalid type: integer `3`, expected internally tagged enum AgentWorkState"},
      {"second tag after the fields", R"({"state":"done","did":"x","state":"done"})",
       Kind::DuplicateField, "duplicate field `state`"},
  };
  for (const auto& c : state_cases) expect_decode_error<State>(c);

  const ErrorCase route_cases[] = {
      {"capital", R"({"route":"Model"})", Kind::UnknownVariant,
       "unknown variant `Model`, expected `model` or `floor`"},
      {"a number", R"({"route":1})", Kind::ExpectedValue, ""},
  };
  for (const auto& c : route_cases) expect_decode_error<AgentReasoning>(c);
}

TEST(AgentWorkJson, EqualityComparesEveryPart) {
  const AgentWork base = doing_work();
  const auto changed = [&](auto change) {
    AgentWork w = base;
    change(w);
    return w;
  };
  EXPECT_EQ(base, doing_work());
  const AgentWork different[] = {
      changed([](AgentWork& w) { w.since = 6; }),
      changed([](AgentWork& w) {
        w.state = {State::Doing{"post", "c2"}};
      }),
      changed([](AgentWork& w) { w.state = {State::Done{"post"}}; }),
      changed([](AgentWork& w) { w.reasoning.reset(); }),
      changed([](AgentWork& w) { w.reasoning->route = AgentRoute::Model; }),
      changed([](AgentWork& w) { w.reasoning->why = "other"; }),
      changed([](AgentWork& w) { w.trace.clear(); }),
      changed([](AgentWork& w) { w.trace.push_back(w.trace.front()); }),
      changed([](AgentWork& w) { w.trace[0].sequence = 2; }),
      changed([](AgentWork& w) { w.trace[0].id = "s2"; }),
      changed([](AgentWork& w) { w.trace[0].resource = "x"; }),
      changed([](AgentWork& w) { w.trace[0].label = "x"; }),
      changed([](AgentWork& w) { w.trace[0].outcome = {Outcome::Refused{""}}; }),
  };
  for (const auto& w : different) EXPECT_NE(w, base) << json::to_text(w);
  EXPECT_NE((Outcome{Outcome::Refused{"a"}}), (Outcome{Outcome::Refused{"b"}}));
  EXPECT_EQ((State{State::Waiting{"a"}}), (State{State::Waiting{"a"}}));
  EXPECT_NE((State{State::Taken{}}), (State{State::Refused{}}));
}

TEST(AgentWorkJson, DebugTextUsesVariantNames) {
  EXPECT_EQ(json::debug_text(StoredAgentTransition{{State::Waiting{"a"}}, 1}),
            R"(StoredAgentTransition { state: Waiting { app: "a" }, since: 1 })");
  EXPECT_EQ(json::debug_text(Outcome{Outcome::Refused{"w"}}), R"(Refused { why: "w" })");
  EXPECT_EQ(json::debug_text(State{State::Taken{}}), "Taken");
}

}  // namespace
}  // namespace chat::actions
