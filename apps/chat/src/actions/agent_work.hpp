#pragma once

// The record of an agent's work on a message: its state since when, why it chose its
// route, and the steps it took. Equality is field by field, so writers can skip a record
// that changes nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "json/declare.hpp"

namespace chat::actions {

// The variants of AgentWorkState.
namespace agent_work_state {

struct Taken {
  bool operator==(const Taken&) const = default;
};
// Waits for an app.
struct Waiting {
  std::string app{};
  bool operator==(const Waiting&) const = default;
};
struct Doing {
  std::string did{};
  std::string about{};
  bool operator==(const Doing&) const = default;
};
struct Done {
  std::string did{};
  bool operator==(const Done&) const = default;
};
struct Refused {
  bool operator==(const Refused&) const = default;
};

}  // namespace agent_work_state

struct AgentWorkState {
  using Taken = agent_work_state::Taken;
  using Waiting = agent_work_state::Waiting;
  using Doing = agent_work_state::Doing;
  using Done = agent_work_state::Done;
  using Refused = agent_work_state::Refused;

  std::variant<Taken, Waiting, Doing, Done, Refused> value;
  bool operator==(const AgentWorkState&) const = default;
};

// The variants of AgentStepOutcome.
namespace agent_step_outcome {

struct Asked {
  bool operator==(const Asked&) const = default;
};
struct Applied {
  bool operator==(const Applied&) const = default;
};
struct NoChange {
  bool operator==(const NoChange&) const = default;
};
struct Refused {
  std::string why{};
  bool operator==(const Refused&) const = default;
};

}  // namespace agent_step_outcome

struct AgentStepOutcome {
  using Asked = agent_step_outcome::Asked;
  using Applied = agent_step_outcome::Applied;
  using NoChange = agent_step_outcome::NoChange;
  using Refused = agent_step_outcome::Refused;

  std::variant<Asked, Applied, NoChange, Refused> value;
  bool operator==(const AgentStepOutcome&) const = default;
};

enum class AgentRoute { Model, Floor };

struct AgentReasoning {
  AgentRoute route = AgentRoute::Model;
  std::string why{};
  bool operator==(const AgentReasoning&) const = default;
};

// One step of a trace: `id` names it within the trace, `sequence` orders the steps.
struct AgentStep {
  std::string id{};
  std::uint64_t sequence = 0;
  std::string resource{};
  std::string label{};
  AgentStepOutcome outcome{};
  bool operator==(const AgentStep&) const = default;
};

struct AgentWork {
  AgentWorkState state{};
  std::int64_t since = 0;  // when the state was entered, as the sender gives it
  std::optional<AgentReasoning> reasoning{};
  std::vector<AgentStep> trace{};
  bool operator==(const AgentWork&) const = default;
};

// The state with its time, as the document keeps it.
struct StoredAgentTransition {
  AgentWorkState state{};
  std::int64_t since = 0;
  bool operator==(const StoredAgentTransition&) const = default;
};

}  // namespace chat::actions

JSON_DECLARE_CODEC(chat::actions::AgentWorkState);
JSON_DECLARE_CODEC(chat::actions::AgentStepOutcome);
JSON_DECLARE_CODEC(chat::actions::AgentRoute);
JSON_DECLARE_CODEC(chat::actions::AgentReasoning);
JSON_DECLARE_CODEC(chat::actions::AgentStep);
JSON_DECLARE_CODEC(chat::actions::AgentWork);
JSON_DECLARE_CODEC(chat::actions::StoredAgentTransition);
