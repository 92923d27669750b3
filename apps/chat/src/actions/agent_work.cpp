#include "actions/agent_work.hpp"

#include "json/unions.hpp"

namespace chat::actions {
namespace {

using json::field;
using json::tagged_variant;
using State = AgentWorkState;
using Outcome = AgentStepOutcome;

constexpr auto state_schema = json::internal_union(
    "AgentWorkState", "state", &State::value, tagged_variant<State::Taken>("Taken", "taken"),
    tagged_variant<State::Waiting>("Waiting", "waiting", field("app", &State::Waiting::app)),
    tagged_variant<State::Doing>("Doing", "doing", field("did", &State::Doing::did),
                                 field("about", &State::Doing::about)),
    tagged_variant<State::Done>("Done", "done", field("did", &State::Done::did)),
    tagged_variant<State::Refused>("Refused", "refused"));

constexpr auto outcome_schema = json::internal_union(
    "AgentStepOutcome", "outcome", &Outcome::value,
    tagged_variant<Outcome::Asked>("Asked", "asked"),
    tagged_variant<Outcome::Applied>("Applied", "applied"),
    tagged_variant<Outcome::NoChange>("NoChange", "no_change"),
    tagged_variant<Outcome::Refused>("Refused", "refused", field("why", &Outcome::Refused::why)));

// Lower-case in JSON, the variant names in debug text.
constexpr auto route_schema =
    json::unit_enum<AgentRoute>("AgentRoute", "model", "floor").shown_as("Model", "Floor");

constexpr auto reasoning_schema =
    json::record<AgentReasoning>("AgentReasoning", field("route", &AgentReasoning::route),
                                 field("why", &AgentReasoning::why).defaulted());

constexpr auto step_schema = json::record<AgentStep>(
    "AgentStep", field("id", &AgentStep::id).defaulted(),
    field("sequence", &AgentStep::sequence).defaulted(), field("resource", &AgentStep::resource),
    field("label", &AgentStep::label), field("outcome", &AgentStep::outcome));

constexpr auto work_schema = json::record<AgentWork>(
    "AgentWork", field("state", &AgentWork::state), field("since", &AgentWork::since),
    field("reasoning", &AgentWork::reasoning).defaulted().omitted_when_empty(),
    field("trace", &AgentWork::trace).defaulted().omitted_when_empty());

constexpr auto transition_schema = json::record<StoredAgentTransition>(
    "StoredAgentTransition", field("state", &StoredAgentTransition::state),
    field("since", &StoredAgentTransition::since));

}  // namespace
}  // namespace chat::actions

JSON_DEFINE_CODEC(chat::actions::AgentWorkState, chat::actions::state_schema)
JSON_DEFINE_CODEC(chat::actions::AgentStepOutcome, chat::actions::outcome_schema)
JSON_DEFINE_CODEC(chat::actions::AgentRoute, chat::actions::route_schema)
JSON_DEFINE_CODEC(chat::actions::AgentReasoning, chat::actions::reasoning_schema)
JSON_DEFINE_CODEC(chat::actions::AgentStep, chat::actions::step_schema)
JSON_DEFINE_CODEC(chat::actions::AgentWork, chat::actions::work_schema)
JSON_DEFINE_CODEC(chat::actions::StoredAgentTransition, chat::actions::transition_schema)
