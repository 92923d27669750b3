// The error of an encoder, a decoder or the executor, and the success-or-error result that
// carries it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace vesk_actions {

enum class ActionErrorKind : std::uint8_t {
  Encode,       // a value could not be written as its payload
  Decode,       // a payload could not be read back by its type's decoder
  UnknownType,  // no decoder is registered for the type name
  Execute,      // the executor refused the action or applying it failed
};

struct ActionError {
  ActionErrorKind kind = ActionErrorKind::Execute;
  // The type name involved; empty for encode and execute errors that know none.
  std::string type_name;
  // What went wrong underneath (for example the JSON library's message).
  std::string message;

  static ActionError encode(std::string message);
  static ActionError decode(std::string type_name, std::string message);
  static ActionError unknown_type(std::string type_name);
  static ActionError execute(std::string message);

  // One line for logs and for anyone who shows the error:
  //   encode:       "cannot encode action: <message>"
  //   decode:       "cannot decode action of type <type>: <message>"
  //   unknown type: "no decoder for action type <type>"
  //   execute:      "cannot execute action: <message>"
  std::string display() const;

  bool operator==(const ActionError&) const = default;
};

// Success with a value, or an ActionError.
template <class T>
class ActionResult {
 public:
  ActionResult(T value) : v_(std::in_place_index<0>, std::move(value)) {}            // NOLINT
  ActionResult(ActionError error) : v_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  const ActionError& error() const& { return std::get<1>(v_); }
  ActionError&& error() && { return std::get<1>(std::move(v_)); }

 private:
  std::variant<T, ActionError> v_;
};

template <>
class ActionResult<void> {
 public:
  ActionResult() = default;
  ActionResult(ActionError error) : error_(std::move(error)) {}  // NOLINT

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const ActionError& error() const& { return *error_; }
  ActionError&& error() && { return std::move(*error_); }

 private:
  std::optional<ActionError> error_;
};

}  // namespace vesk_actions
