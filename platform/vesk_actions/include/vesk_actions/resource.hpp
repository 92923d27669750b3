// The resource tree that applications expose to command surfaces and automation: addressable
// resources, each with the actions (ActionSpec) that can be triggered on it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "vesk_actions/encoded_action.hpp"

namespace vesk_actions {

// Named text arguments of one trigger.
class ActionArgs {
 public:
  // Sets `name` to `value`, replacing an earlier value of the same name.
  ActionArgs& with_text(std::string name, std::string value);
  // The text argument `name`, or none.
  std::optional<std::string_view> text(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> texts_;
};

// What triggering a spec does, for surfaces that sort, confirm or announce actions.
enum class StateEffect : std::uint8_t {
  None = 0,    // changes nothing stored: it only shows something
  Local = 1,   // changes this process's state only
  Stored = 2,  // changes stored or shared state (the document, files)
};
enum class Confirmation : std::uint8_t {
  Never = 0,            // run at once
  WhenDestructive = 1,  // ask first when the ActionSpec is marked destructive
};
enum class Feedback : std::uint8_t {
  None = 0,
  Reveal = 1,   // the surface should step aside: the application shows the result
  Notify = 2,   // the surface announces the result
  Refresh = 3,  // the surface re-reads the resource tree afterwards
};
enum class Duration : std::uint8_t {
  Instant = 0,  // returns at once (work it starts runs elsewhere)
  Lengthy = 1,  // the surface should show progress
};

struct EffectDescriptor {
  StateEffect state = StateEffect::None;
  Confirmation confirmation = Confirmation::Never;
  Feedback feedback = Feedback::None;
  Duration duration = Duration::Instant;
  bool operator==(const EffectDescriptor&) const = default;
};

struct ActionParameter {
  std::string name;
  std::string label;
  // A surface must collect a value before triggering; without the mark, a missing value
  // reaches the handler as no argument.
  bool required = false;
  bool operator==(const ActionParameter&) const = default;
};

// Handlers are shared and may be called from any thread: they must read only what they
// captured.
using TextHandler = std::shared_ptr<const std::function<EncodedAction(std::string_view)>>;
using ArgsHandler = std::shared_ptr<const std::function<EncodedAction(const ActionArgs&)>>;

// The invocation of a spec that asks for one text.
struct TextPrompt {
  std::string label;
  std::string placeholder;
  TextHandler handler;
};

struct ActionSpec {
  std::string name;   // the verb: "open", "post", "delete", ...
  std::string label;  // for display
  EffectDescriptor effect;
  // True when what the ActionSpec produces is dispatched to the document through the executor,
  // false for an operation that the application executes itself.
  bool dispatches = false;
  // Set by destructive(): surfaces ask before triggering (see Confirmation).
  bool is_destructive = false;
  std::vector<ActionParameter> parameters;
  // The operation namespace of the produced value; none for dispatched actions.
  std::optional<std::string> operation_type;
  // The fixed value the ActionSpec always produces, or the text prompt that builds one.
  std::variant<EncodedAction, TextPrompt> invocation;
  ArgsHandler handler;
  // The application's classification of a produced operation; 0 for dispatched actions.
  std::uint8_t operation_class = 0;

  // The same spec marked destructive.
  ActionSpec destructive() const&;
  ActionSpec destructive() &&;

  // What triggering the ActionSpec with `args` produces: the handler's result; without a handler,
  // the fixed value, or the prompt's handler given the "value" argument (empty when absent).
  // A prompt without a handler produces an empty value that no decoder or namespace accepts.
  EncodedAction invoke(const ActionArgs& args) const;
};

struct Resource {
  std::string id;  // the resource address
  std::string kind;
  std::string label;
  std::vector<Resource> children;
  std::vector<ActionSpec> actions;

  Resource(std::string id, std::string kind, std::string label)
      : id(std::move(id)), kind(std::move(kind)), label(std::move(label)) {}

  // Append one entry after the earlier ones.
  Resource& with_action(ActionSpec spec) &;
  Resource with_action(ActionSpec spec) &&;
  Resource& with_child(Resource child) &;
  Resource with_child(Resource child) &&;

  // The first action named `name`, or null.
  const ActionSpec* find_action(std::string_view name) const;
};

}  // namespace vesk_actions
