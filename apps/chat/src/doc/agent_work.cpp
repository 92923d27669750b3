#include "doc/agent_work.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "doc/access.hpp"
#include "doc/stored_json.hpp"
#include "json/json.hpp"

namespace chat::doc {

namespace {

using actions::AgentReasoning;
using actions::AgentRoute;
using actions::AgentStep;
using actions::AgentStepOutcome;
using actions::AgentWorkState;
using actions::StoredAgentTransition;

constexpr std::string_view kLegacyStepPrefix = "legacy_step_";

// The state of the older layout: a "state" map with a kind and its texts.
std::optional<AgentWorkState> legacy_state(const crdt::Document& doc, const crdt::ObjId& state) {
  std::string kind = string_or_empty(doc, state, "kind");
  if (kind == "taken") return AgentWorkState{AgentWorkState::Taken{}};
  if (kind == "waiting")
    return AgentWorkState{AgentWorkState::Waiting{string_or_empty(doc, state, "app")}};
  if (kind == "doing") {
    return AgentWorkState{AgentWorkState::Doing{string_or_empty(doc, state, "did"),
                                                string_or_empty(doc, state, "about")}};
  }
  if (kind == "done")
    return AgentWorkState{AgentWorkState::Done{string_or_empty(doc, state, "did")}};
  if (kind == "refused") return AgentWorkState{AgentWorkState::Refused{}};
  return std::nullopt;
}

std::optional<AgentReasoning> read_reasoning(const crdt::Document& doc, const crdt::ObjId& work) {
  if (auto legacy = get_map(doc, work, "reasoning")) {
    if (!bool_or_false(doc, *legacy, "present")) return std::nullopt;
    std::string route = string_or_empty(doc, *legacy, "route");
    AgentReasoning r;
    if (route == "model") {
      r.route = AgentRoute::Model;
    } else if (route == "floor") {
      r.route = AgentRoute::Floor;
    } else {
      return std::nullopt;
    }
    r.why = string_or_empty(doc, *legacy, "why");
    return r;
  }
  std::optional<AgentReasoning> decoded;
  if (!decode_stored(string_or_empty(doc, work, "reasoning"), decoded)) return std::nullopt;
  return decoded;
}

// Outcome JSON, or the plain tag text of the older layout.
std::optional<AgentStepOutcome> read_outcome(const crdt::Document& doc, const crdt::ObjId& step) {
  std::string text = string_or_empty(doc, step, "outcome");
  if (AgentStepOutcome decoded; decode_stored(text, decoded)) return decoded;
  if (text == "asked") return AgentStepOutcome{AgentStepOutcome::Asked{}};
  if (text == "applied") return AgentStepOutcome{AgentStepOutcome::Applied{}};
  if (text == "no_change") return AgentStepOutcome{AgentStepOutcome::NoChange{}};
  if (text == "refused")
    return AgentStepOutcome{AgentStepOutcome::Refused{string_or_empty(doc, step, "why")}};
  return std::nullopt;
}

std::vector<AgentStep> read_trace(const crdt::Document& doc, const crdt::ObjId& work) {
  std::vector<AgentStep> steps;
  auto trace = get_map(doc, work, "trace");
  if (!trace) return steps;
  for (std::string_view key : doc.keys(*trace)) {
    auto entry = get_map(doc, *trace, key);
    if (!entry || !bool_or_false(doc, *entry, "present")) continue;
    auto outcome = read_outcome(doc, *entry);
    if (!outcome) continue;
    AgentStep step;
    step.id = is_legacy_step_key(key) ? std::string(kLegacyStepPrefix) + std::string(key)
                                      : std::string(key);
    std::int64_t sequence = i64_or_zero(doc, *entry, "sequence");
    step.sequence = sequence < 0 ? 0 : static_cast<std::uint64_t>(sequence);
    step.resource = string_or_empty(doc, *entry, "resource");
    step.label = string_or_empty(doc, *entry, "label");
    step.outcome = std::move(*outcome);
    steps.push_back(std::move(step));
  }
  std::stable_sort(steps.begin(), steps.end(), [](const AgentStep& a, const AgentStep& b) {
    if (a.sequence != b.sequence) return a.sequence < b.sequence;
    return a.id < b.id;
  });
  return steps;
}

}  // namespace

std::optional<AgentWork> read_agent_work(const crdt::Document& doc, const crdt::ObjId& work) {
  AgentWork out;
  if (StoredAgentTransition transition;
      decode_stored(string_or_empty(doc, work, "transition"), transition)) {
    out.state = std::move(transition.state);
    out.since = transition.since;
  } else {
    auto state_map = get_map(doc, work, "state");
    if (!state_map) return std::nullopt;
    auto state = legacy_state(doc, *state_map);
    if (!state) return std::nullopt;
    out.state = std::move(*state);
    out.since = i64_or_zero(doc, work, "since");
  }
  out.reasoning = read_reasoning(doc, work);
  out.trace = read_trace(doc, work);
  return out;
}

std::optional<AgentWork> message_agent_work(const crdt::Document& doc, const crdt::ObjId& message) {
  auto found = doc.get(message, "work");
  if (!found) return std::nullopt;
  if (found->first.object_type() == crdt::ObjType::Map) return read_agent_work(doc, found->second);
  const crdt::ScalarValue* scalar = found->first.scalar();
  const auto* text = scalar ? std::get_if<std::string>(&scalar->content) : nullptr;
  if (!text || text->empty()) return std::nullopt;
  AgentWork decoded;
  if (!decode_stored(*text, decoded)) return std::nullopt;
  return decoded;
}

void put_agent_work(crdt::Document& doc, const crdt::ObjId& message, const AgentWork& work) {
  std::optional<AgentWork> old;
  if (auto existing = get_map(doc, message, "work")) old = read_agent_work(doc, *existing);

  crdt::ObjId w = ensure_map(doc, message, "work");
  if (!old || old->since != work.since || !(old->state == work.state)) {
    (void)doc.put(w, "transition", json::to_text(StoredAgentTransition{work.state, work.since}));
  }
  if (!old || !(old->reasoning == work.reasoning)) {
    (void)doc.put(w, "reasoning", json::to_text(work.reasoning));
  }

  crdt::ObjId trace = ensure_map(doc, w, "trace");
  // The stored steps by id; the first of equal ids wins, as a lookup in list order would.
  std::unordered_map<std::string_view, const AgentStep*> previous;
  if (old) {
    previous.reserve(old->trace.size());
    for (const AgentStep& s : old->trace) previous.emplace(s.id, &s);
  }
  for (const AgentStep& step : work.trace) {
    if (step.id.empty()) continue;
    auto found = previous.find(step.id);
    const AgentStep* prev = found == previous.end() ? nullptr : found->second;
    if (prev && *prev == step) continue;
    bool existed = get_map(doc, trace, step.id).has_value();
    crdt::ObjId m = ensure_map(doc, trace, step.id);
    (void)doc.put(m, "present", true);
    if (!existed) {
      // Written once: a later work cannot rename or move a step.
      (void)doc.put(m, "sequence", static_cast<std::int64_t>(step.sequence));
      (void)doc.put(m, "resource", step.resource);
      (void)doc.put(m, "label", step.label);
    }
    if (!prev || !(prev->outcome == step.outcome)) {
      (void)doc.put(m, "outcome", json::to_text(step.outcome));
    }
  }

  // Steps of the older layout are hidden, never deleted. Keys are copied first: the key range
  // is invalidated by the writes.
  std::vector<std::string> legacy;
  for (std::string_view key : legacy_step_keys(doc, trace)) legacy.emplace_back(key);
  for (const std::string& key : legacy) {
    if (auto m = get_map(doc, trace, key)) (void)doc.put(*m, "present", false);
  }
}

}  // namespace chat::doc
