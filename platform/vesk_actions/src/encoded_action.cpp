#include "vesk_actions/encoded_action.hpp"

#include <utility>

namespace vesk_actions {

EncodedAction enforce_operation_type(EncodedAction encoded, std::string_view type_name) {
  if (encoded.type_name != type_name) encoded.type_name.assign(type_name);
  return encoded;
}

}  // namespace vesk_actions
