#include "vesk_actions/executable_action.hpp"

namespace vesk_actions {

ActionResult<void> LocalTransport::replicate(const EncodedAction& encoded,
                                             std::span<const std::uint8_t> actor) {
  deliveries_.push_back({encoded, std::vector<std::uint8_t>(actor.begin(), actor.end())});
  return {};
}

}  // namespace vesk_actions
