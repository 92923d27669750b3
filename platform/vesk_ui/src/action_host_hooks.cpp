#include "vesk_ui/action_host_hooks.hpp"

#include <algorithm>
#include <utility>

namespace vesk_ui {

std::optional<ChangeHashes> TypedActionHooks::typed_action_before(crdt::Document& doc) {
  if (!binding_) return std::nullopt;
  ChangeHashes token = std::move(*binding_);
  binding_.reset();
  bool known = std::all_of(token.begin(), token.end(), [&](const crdt::ChangeHash& hash) {
    return doc.get_change(hash).has_value();
  });
  if (!known) return std::nullopt;
  bound_.push_back({token, std::nullopt});
  return token;
}

void TypedActionHooks::report_typed_action(crdt::Document& /*doc*/, const ChangeHashes& token,
                                           const ChangeHashes& heads_after) {
  auto in_flight = std::find_if(bound_.begin(), bound_.end(), [&](const BoundDispatch& entry) {
    return !entry.heads_after && entry.token == token;
  });
  if (in_flight == bound_.end()) {
    bound_.push_back({token, heads_after});
    return;
  }
  in_flight->heads_after = heads_after;
}

std::vector<TypedActionHooks::BoundDispatch> TypedActionHooks::take_bound_dispatches() {
  return std::exchange(bound_, {});
}

}  // namespace vesk_ui
