#include "vesk_actions/registry.hpp"

#include <utility>

namespace vesk_actions {

void ActionRegistry::insert(std::string type_name, std::unique_ptr<ActionDecoder> decoder) {
  if (!decoder) {
    decoders_.erase(type_name);
    return;
  }
  decoders_.insert_or_assign(std::move(type_name), std::move(decoder));
}

const ActionDecoder* ActionRegistry::find(std::string_view type_name) const {
  auto it = decoders_.find(type_name);
  return it == decoders_.end() ? nullptr : it->second.get();
}

ActionResult<std::unique_ptr<ExecutableAction>> ActionRegistry::decode(
    const EncodedAction& encoded) const {
  const ActionDecoder* decoder = find(encoded.type_name);
  if (!decoder) return ActionError::unknown_type(encoded.type_name);
  return decoder->decode(encoded.payload);
}

}  // namespace vesk_actions
