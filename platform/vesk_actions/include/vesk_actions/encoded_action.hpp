// An action or operation as it travels: a type name and its payload bytes (UTF-8 JSON for the
// chat's types). The framework never looks inside the payload; it hands it back unchanged to
// the decoder registered for the type or to whoever executes operations of that type.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk_actions {

struct EncodedAction {
  std::string type_name;
  std::vector<std::uint8_t> payload;

  std::string_view payload_text() const {
    return {reinterpret_cast<const char*>(payload.data()), payload.size()};
  }
  bool operator==(const EncodedAction&) const = default;
};

// Routes an encoded value to the operation namespace `type_name`: the result carries that
// type name and the payload unchanged. A payload that is not of that type is not repaired
// here; the namespace's own decoder reports it when the operation is executed.
EncodedAction enforce_operation_type(EncodedAction encoded, std::string_view type_name);

}  // namespace vesk_actions
