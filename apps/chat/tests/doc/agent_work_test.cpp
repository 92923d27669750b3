#include "doc/agent_work.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc/message_readers.hpp"
#include "doc/message_writers.hpp"
#include "doc_fixture.hpp"

namespace chat::doc {
namespace {

using actions::AgentReasoning;
using actions::AgentRoute;
using actions::AgentStep;
using actions::AgentStepOutcome;
using actions::AgentWorkState;
using testing::has_key;
using testing::heads;
using testing::map_at;
using testing::put;

const AgentStepOutcome kApplied{AgentStepOutcome::Applied{}};
const AgentStepOutcome kAsked{AgentStepOutcome::Asked{}};

AgentWork taken(std::int64_t since, std::vector<AgentStep> trace = {}) {
  return AgentWork{AgentWorkState{AgentWorkState::Taken{}}, since, std::nullopt, std::move(trace)};
}

AgentStep step(std::string id, std::uint64_t sequence, std::string label = "Post",
               AgentStepOutcome outcome = kApplied) {
  return AgentStep{std::move(id), sequence, "chat.channel:c1", std::move(label), outcome};
}

// The op id that last wrote a key: it changes exactly when the key is written again.
crdt::ObjId written_by(const crdt::Document& doc, const crdt::ObjId& map, std::string_view key) {
  auto found = doc.get(map, key);
  EXPECT_TRUE(found.has_value()) << key;
  return found ? found->second : crdt::ROOT;
}

std::vector<std::string> keys_of(const crdt::Document& doc, const crdt::ObjId& map) {
  std::vector<std::string> out;
  for (std::string_view k : doc.keys(map)) out.emplace_back(k);
  return out;
}

TEST(PutAgentWork, WritesTheCurrentLayoutAndReadsItBack) {
  crdt::Document doc;
  crdt::ObjId message = map_at(doc, {"msg"});
  put_agent_work(doc, message, taken(10));
  crdt::ObjId w = *get_map(doc, message, "work");
  EXPECT_EQ(doc_get_string(doc, w, "transition"), R"({"state":{"state":"taken"},"since":10})");
  EXPECT_EQ(doc_get_string(doc, w, "reasoning"), "null");
  auto trace = get_map(doc, w, "trace");
  ASSERT_TRUE(trace.has_value());
  EXPECT_EQ(doc.length(*trace), 0u);
  EXPECT_EQ(message_agent_work(doc, message), taken(10));

  AgentWork doing{
      AgentWorkState{AgentWorkState::Doing{"post", "c1"}},
      5,
      AgentReasoning{AgentRoute::Floor, "rule"},
      {step("s2", 2, "Second", AgentStepOutcome{AgentStepOutcome::Refused{"no"}}), step("s1", 1)}};
  put_agent_work(doc, message, doing);
  crdt::ObjId s2 = *get_map(doc, *trace, "s2");
  EXPECT_EQ(doc_get_bool(doc, s2, "present"), true);
  EXPECT_EQ(doc.get(s2, "sequence")->first, crdt::ScalarValue(std::int64_t{2}));
  EXPECT_EQ(doc_get_string(doc, s2, "outcome"), R"({"outcome":"refused","why":"no"})");
  EXPECT_EQ(doc_get_string(doc, w, "reasoning"), R"({"route":"floor","why":"rule"})");
  AgentWork sorted = doing;
  std::swap(sorted.trace[0], sorted.trace[1]);  // read back by sequence
  EXPECT_EQ(message_agent_work(doc, message), sorted);
}

TEST(PutAgentWork, RewritesOnlyWhatChanged) {
  crdt::Document doc;
  crdt::ObjId message = map_at(doc, {"msg"});
  put_agent_work(doc, message, taken(10, {step("s1", 1)}));
  crdt::ObjId w = *get_map(doc, message, "work");

  auto before = heads(doc);
  put_agent_work(doc, message, taken(10, {step("s1", 1)}));
  EXPECT_EQ(heads(doc), before) << "the same work again writes nothing";

  crdt::ObjId transition = written_by(doc, w, "transition");
  crdt::ObjId reasoning = written_by(doc, w, "reasoning");
  put_agent_work(doc, message, taken(11, {step("s1", 1)}));
  EXPECT_NE(written_by(doc, w, "transition"), transition);
  EXPECT_EQ(written_by(doc, w, "reasoning"), reasoning);

  transition = written_by(doc, w, "transition");
  AgentWork reasoned = taken(11, {step("s1", 1)});
  reasoned.reasoning = AgentReasoning{AgentRoute::Model, "asked"};
  put_agent_work(doc, message, reasoned);
  EXPECT_EQ(written_by(doc, w, "transition"), transition);
  EXPECT_NE(written_by(doc, w, "reasoning"), reasoning);
  EXPECT_EQ(message_agent_work(doc, message), reasoned);

  // A state of the same variant with another text is a change too.
  AgentWork waiting_a{AgentWorkState{AgentWorkState::Waiting{"mail"}}, 11, std::nullopt, {}};
  AgentWork waiting_b{AgentWorkState{AgentWorkState::Waiting{"calendar"}}, 11, std::nullopt, {}};
  put_agent_work(doc, message, waiting_a);
  transition = written_by(doc, w, "transition");
  put_agent_work(doc, message, waiting_b);
  EXPECT_NE(written_by(doc, w, "transition"), transition);
}

TEST(PutAgentWork, StepsAreNeverDeletedAndKeepWhatTheyWereCreatedWith) {
  crdt::Document doc;
  crdt::ObjId message = map_at(doc, {"msg"});
  put_agent_work(doc, message, taken(1, {step("", 0), step("s1", 1, "Post"), step("s2", 2)}));
  crdt::ObjId trace = *get_map(doc, *get_map(doc, message, "work"), "trace");
  EXPECT_EQ(keys_of(doc, trace), (std::vector<std::string>{"s1", "s2"})) << "no empty id";

  // s1 comes again with a new label and outcome; s2 is not listed any more.
  crdt::ObjId s1 = *get_map(doc, trace, "s1");
  crdt::ObjId label = written_by(doc, s1, "label");
  crdt::ObjId present = written_by(doc, s1, "present");
  put_agent_work(doc, message, taken(1, {step("s1", 9, "Renamed", kAsked)}));
  EXPECT_EQ(written_by(doc, s1, "label"), label);
  EXPECT_NE(written_by(doc, s1, "present"), present);
  EXPECT_EQ(doc_get_string(doc, s1, "outcome"), R"({"outcome":"asked"})");
  auto read = message_agent_work(doc, message);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->trace, (std::vector<AgentStep>{step("s1", 1, "Post", kAsked), step("s2", 2)}));

  // A hidden step is not read; listing it again shows it with its first sequence and label.
  crdt::ObjId s2 = *get_map(doc, trace, "s2");
  put(doc, s2, "present", false);
  EXPECT_EQ(message_agent_work(doc, message)->trace.size(), 1u);
  put_agent_work(doc, message, taken(1, {step("s2", 7, "Other", kAsked)}));
  EXPECT_EQ(doc_get_bool(doc, s2, "present"), true);
  EXPECT_EQ(doc_get_string(doc, s2, "outcome"), R"({"outcome":"asked"})");
  EXPECT_EQ(message_agent_work(doc, message)->trace,
            (std::vector<AgentStep>{step("s1", 1, "Post", kAsked), step("s2", 2, "Post", kAsked)}));
}

// A "work" map as an earlier version wrote it.
crdt::ObjId legacy_work(crdt::Document& doc, const crdt::ObjId& message) {
  crdt::ObjId w = ensure_map(doc, message, "work");
  crdt::ObjId state = ensure_map(doc, w, "state");
  put(doc, state, "kind", "waiting");
  put(doc, state, "app", "mail");
  put(doc, w, "since", std::int64_t{7});
  crdt::ObjId reasoning = ensure_map(doc, w, "reasoning");
  put(doc, reasoning, "present", true);
  put(doc, reasoning, "route", "floor");
  put(doc, reasoning, "why", "w");
  crdt::ObjId entry = map_at(doc, {"msg", "work", "trace", "00000001"});
  put(doc, entry, "present", true);
  put(doc, entry, "sequence", std::int64_t{1});
  put(doc, entry, "outcome", "refused");
  put(doc, entry, "why", "no");
  return w;
}

TEST(ReadAgentWork, ReadsTheOlderLayoutAndHidesItsStepsOnTheNextWrite) {
  crdt::Document doc;
  crdt::ObjId message = map_at(doc, {"msg"});
  legacy_work(doc, message);
  AgentWork expected{AgentWorkState{AgentWorkState::Waiting{"mail"}},
                     7,
                     AgentReasoning{AgentRoute::Floor, "w"},
                     {AgentStep{"legacy_step_00000001", 1, "", "",
                                AgentStepOutcome{AgentStepOutcome::Refused{"no"}}}}};
  EXPECT_EQ(message_agent_work(doc, message), expected);

  put_agent_work(doc, message, taken(8));
  crdt::ObjId entry = map_at(doc, {"msg", "work", "trace", "00000001"});
  EXPECT_EQ(doc_get_bool(doc, entry, "present"), false);
  EXPECT_EQ(message_agent_work(doc, message), taken(8));

  // Each further write hides the older steps again, and writes nothing else.
  put(doc, entry, "present", true);
  auto before = heads(doc);
  put_agent_work(doc, message, taken(8));
  auto changes = doc.get_changes(before);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].op_count(), 1u);
  EXPECT_EQ(doc_get_bool(doc, entry, "present"), false);
}

TEST(ReadAgentWork, StatesThatCannotBeReadMeanNoWork) {
  struct Case {
    const char* what;
    std::optional<std::string> kind;  // none: no "state" map
    std::optional<std::string> transition;
    bool has_work;
  };
  const std::vector<Case> cases = {
      {"older kind paused", "paused", std::nullopt, false},
      {"older kind empty", "", std::nullopt, false},
      {"neither transition nor state", std::nullopt, std::nullopt, false},
      {"undecodable transition, no state", std::nullopt, "{oops", false},
      {"undecodable transition falls back", "done", "{oops", true},
      {"transition wins over state", "paused", R"({"state":{"state":"refused"},"since":1})", true},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    crdt::ObjId w = map_at(doc, {"msg", "work"});
    if (c.kind) put(doc, map_at(doc, {"msg", "work", "state"}), "kind", *c.kind);
    if (c.transition) put(doc, w, "transition", *c.transition);
    crdt::ObjId entry = map_at(doc, {"msg", "work", "trace", "s1"});
    put(doc, entry, "present", true);
    put(doc, entry, "outcome", "asked");
    auto work = read_agent_work(doc, w);
    EXPECT_EQ(work.has_value(), c.has_work) << c.what;
    if (work) {
      EXPECT_EQ(work->trace.size(), 1u) << c.what;
    }
  }
}

TEST(ReadAgentWork, OlderStatesAndReasonings) {
  struct Case {
    const char* kind;
    AgentWorkState expected;
  };
  const std::vector<Case> states = {
      {"taken", AgentWorkState{AgentWorkState::Taken{}}},
      {"waiting", AgentWorkState{AgentWorkState::Waiting{"A"}}},
      {"doing", AgentWorkState{AgentWorkState::Doing{"D", "B"}}},
      {"done", AgentWorkState{AgentWorkState::Done{"D"}}},
      {"refused", AgentWorkState{AgentWorkState::Refused{}}},
  };
  for (const Case& c : states) {
    crdt::Document doc;
    crdt::ObjId state = map_at(doc, {"w", "state"});
    put(doc, state, "kind", c.kind);
    put(doc, state, "app", "A");
    put(doc, state, "did", "D");
    put(doc, state, "about", "B");
    auto work = read_agent_work(doc, map_at(doc, {"w"}));
    ASSERT_TRUE(work.has_value()) << c.kind;
    EXPECT_EQ(work->state, c.expected) << c.kind;
    EXPECT_EQ(work->since, 0) << c.kind;
  }

  using Row = std::vector<std::pair<const char*, crdt::ScalarValue>>;
  struct ReasoningCase {
    const char* what;
    std::optional<Row> legacy_map;
    std::optional<crdt::ScalarValue> text;
    std::optional<AgentReasoning> expected;
  };
  const std::vector<ReasoningCase> reasonings = {
      {"map, model",
       Row{{"present", crdt::ScalarValue(true)}, {"route", crdt::ScalarValue("model")}},
       std::nullopt, AgentReasoning{AgentRoute::Model, ""}},
      {"map, not present",
       Row{{"present", crdt::ScalarValue(false)}, {"route", crdt::ScalarValue("model")}},
       std::nullopt, std::nullopt},
      {"map, unknown route",
       Row{{"present", crdt::ScalarValue(true)}, {"route", crdt::ScalarValue("Model")}},
       std::nullopt, std::nullopt},
      {"text null", std::nullopt, crdt::ScalarValue("null"), std::nullopt},
      {"text object", std::nullopt, crdt::ScalarValue(R"({"route":"floor"})"),
       AgentReasoning{AgentRoute::Floor, ""}},
      {"text broken", std::nullopt, crdt::ScalarValue("{"), std::nullopt},
      {"absent", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const ReasoningCase& c : reasonings) {
    crdt::Document doc;
    crdt::ObjId w = map_at(doc, {"w"});
    put(doc, w, "transition", R"({"state":{"state":"taken"},"since":3})");
    if (c.legacy_map) {
      crdt::ObjId r = map_at(doc, {"w", "reasoning"});
      for (const auto& [key, value] : *c.legacy_map) put(doc, r, key, value);
    }
    if (c.text) put(doc, w, "reasoning", *c.text);
    auto work = read_agent_work(doc, w);
    ASSERT_TRUE(work.has_value()) << c.what;
    EXPECT_EQ(work->since, 3);
    EXPECT_EQ(work->reasoning, c.expected) << c.what;
  }
}

TEST(ReadAgentWork, StepsAreSortedBySequenceThenIdAndUnreadableOnesLeftOut) {
  crdt::Document doc;
  crdt::ObjId w = map_at(doc, {"w"});
  put(doc, w, "transition", R"({"state":{"state":"taken"},"since":1})");
  using Row = std::vector<std::pair<const char*, crdt::ScalarValue>>;
  auto outcome = [](const char* text) { return crdt::ScalarValue(text); };
  const std::vector<std::pair<const char*, Row>> entries = {
      {"a", {{"sequence", crdt::ScalarValue(std::int64_t{3})}, {"outcome", outcome("applied")}}},
      {"b", {{"sequence", crdt::ScalarValue(std::int64_t{-5})}, {"outcome", outcome("asked")}}},
      {"c", {{"sequence", crdt::ScalarValue(std::int64_t{1})}, {"outcome", outcome("no_change")}}},
      {"d",
       {{"sequence", crdt::ScalarValue(std::int64_t{1})},
        {"outcome", outcome(R"({"outcome":"refused","why":"j"})")}}},
      {"e", {{"outcome", outcome("bogus")}}},
      {"f", {{"outcome", outcome("")}}},
      {"g", {{"present", crdt::ScalarValue("true")}, {"outcome", outcome("asked")}}},
      {"0", {{"sequence", crdt::ScalarValue(std::int64_t{1})}, {"outcome", outcome("applied")}}},
  };
  crdt::ObjId trace = map_at(doc, {"w", "trace"});
  for (const auto& [key, row] : entries) {
    crdt::ObjId e = ensure_map(doc, trace, key);
    put(doc, e, "present", true);
    for (const auto& [k, v] : row) put(doc, e, k, v);
  }
  put(doc, trace, "scalar", "not a step");
  auto work = read_agent_work(doc, w);
  ASSERT_TRUE(work.has_value());
  std::vector<std::pair<std::string, std::uint64_t>> order;
  for (const AgentStep& s : work->trace) order.emplace_back(s.id, s.sequence);
  EXPECT_EQ(order, (std::vector<std::pair<std::string, std::uint64_t>>{
                       {"b", 0}, {"0", 1}, {"c", 1}, {"d", 1}, {"a", 3}}));
  EXPECT_EQ(work->trace[1].outcome, kApplied);
  EXPECT_EQ(work->trace[2].outcome, AgentStepOutcome{AgentStepOutcome::NoChange{}});
  EXPECT_EQ(work->trace[3].outcome, AgentStepOutcome{AgentStepOutcome::Refused{"j"}});
}

TEST(MessageAgentWork, ReadsTheOlderJsonTextForm) {
  struct Case {
    const char* what;
    crdt::ScalarValue stored;
    std::optional<AgentWork> expected;
  };
  const std::vector<Case> cases = {
      {"valid text", crdt::ScalarValue(R"({"state":{"state":"taken"},"since":1700000000})"),
       taken(1700000000)},
      {"empty text", crdt::ScalarValue(""), std::nullopt},
      {"not agent work", crdt::ScalarValue(R"({"since":1})"), std::nullopt},
      {"not text", crdt::ScalarValue(std::int64_t{1}), std::nullopt},
  };
  for (const Case& c : cases) {
    crdt::Document doc;
    crdt::ObjId message = map_at(doc, {"msg"});
    put(doc, message, "work", c.stored);
    EXPECT_EQ(message_agent_work(doc, message), c.expected) << c.what;
  }

  // Writing over the text form replaces it by the map layout.
  crdt::Document doc;
  crdt::ObjId message = map_at(doc, {"msg"});
  put(doc, message, "work", R"({"state":{"state":"taken"},"since":5})");
  put_agent_work(doc, message, taken(5));
  auto w = get_map(doc, message, "work");
  ASSERT_TRUE(w.has_value());
  EXPECT_TRUE(has_key(doc, *w, "transition"));
  EXPECT_EQ(message_agent_work(doc, message), taken(5));
}

TEST(SetAgentWork, SkipsEqualWorkAndFillsOnlyAnEmptyText) {
  crdt::Document doc;
  NewMessage empty;
  empty.author = "u_agent";
  insert_message(doc, "c1", "m_empty", empty);
  NewMessage said = empty;
  said.text = "already said";
  insert_message(doc, "c1", "m_said", said);

  set_agent_work(doc, "c1", "m_empty", taken(3, {step("s1", 1)}), "On it");
  auto before = heads(doc);
  set_agent_work(doc, "c1", "m_empty", taken(3, {step("s1", 1)}), std::nullopt);
  EXPECT_EQ(heads(doc), before) << "equal work is not written again";

  set_agent_work(doc, "c1", "m_said", taken(3), "ignored");
  set_agent_work(doc, "c1", "m_empty", taken(4), "");
  auto messages = load_messages(doc, "c1");
  EXPECT_EQ(messages[0].text, "On it");
  EXPECT_EQ(messages[0].work, taken(4, {step("s1", 1)}));
  EXPECT_EQ(messages[1].text, "already said");
  EXPECT_EQ(messages[1].work, taken(3));

  before = heads(doc);
  set_agent_work(doc, "c2", "m_empty", taken(9), "x");
  set_agent_work(doc, "c1", "m_none", taken(9), "x");
  EXPECT_EQ(heads(doc), before);
}

TEST(InsertMessage, StoresWorkReferenceAndAttachment) {
  crdt::Document doc;
  NewMessage m;
  m.author = "u1";
  m.text = "see";
  m.work = taken(2, {step("s1", 1)});
  m.reference = ResourceRef{"chat.message", "m0", "Message", std::nullopt};
  m.attachment = Attachment{Attachment::Video{"v.webm", std::string(64, 'a'), 8, 6, 77}};
  insert_message(doc, "c1", "m1", m);
  crdt::ObjId stored = *find_message_obj(doc, "c1", "m1");
  EXPECT_EQ(doc_get_string(doc, stored, "reference"),
            R"({"kind":"chat.message","id":"m0","label":"Message","span":null})");
  crdt::ObjId attachment = *get_map(doc, stored, "attachment");
  EXPECT_EQ(keys_of(doc, attachment),
            (std::vector<std::string>{"blob", "h", "kind", "name", "size", "w"}));
  EXPECT_EQ(doc.get(attachment, "size")->first, crdt::ScalarValue(std::int64_t{77}));

  ChatMessage read = load_messages(doc, "c1").at(0);
  EXPECT_EQ(read.work, m.work);
  EXPECT_EQ(read.reference, m.reference);
  EXPECT_EQ(read.attachment, m.attachment);

  for (const auto& [attachment_value, keys] :
       std::vector<std::pair<Attachment, std::vector<std::string>>>{
           {Attachment{Attachment::Image{"a", "b", 1, 2}}, {"blob", "h", "kind", "name", "w"}},
           {Attachment{Attachment::File{"a", "b", 3}}, {"blob", "kind", "name", "size"}}}) {
    crdt::Document other;
    NewMessage with = m;
    with.attachment = attachment_value;
    insert_message(other, "c1", "m1", with);
    crdt::ObjId a = *get_map(other, *find_message_obj(other, "c1", "m1"), "attachment");
    EXPECT_EQ(keys_of(other, a), keys);
    EXPECT_EQ(load_messages(other, "c1").at(0).attachment, attachment_value);
  }
}

}  // namespace
}  // namespace chat::doc
