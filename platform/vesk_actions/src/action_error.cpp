#include "vesk_actions/action_error.hpp"

namespace vesk_actions {

ActionError ActionError::encode(std::string message) {
  return {ActionErrorKind::Encode, {}, std::move(message)};
}

ActionError ActionError::decode(std::string type_name, std::string message) {
  return {ActionErrorKind::Decode, std::move(type_name), std::move(message)};
}

ActionError ActionError::unknown_type(std::string type_name) {
  return {ActionErrorKind::UnknownType, std::move(type_name), {}};
}

ActionError ActionError::execute(std::string message) {
  return {ActionErrorKind::Execute, {}, std::move(message)};
}

std::string ActionError::display() const {
  switch (kind) {
    case ActionErrorKind::Encode:
      return "cannot encode action: " + message;
    case ActionErrorKind::Decode:
      return "cannot decode action of type " + type_name + ": " + message;
    case ActionErrorKind::UnknownType:
      return "no decoder for action type " + type_name;
    case ActionErrorKind::Execute:
      break;
  }
  return "cannot execute action: " + message;
}

}  // namespace vesk_actions
