// The executor: applies one action to the document exactly once.
//
// A dispatch, in order:
// 1. The actor bytes must be the document's own actor id; anything else is refused before the
//    action runs (a change made here is always attributed to the document's actor).
// 2. Writes already pending in the document are committed on their own, so that the action's
//    change holds only the action's writes.
// 3. `apply` runs once. Its error ends the dispatch; whatever it wrote stays pending in the
//    document, uncommitted.
// 4. The action's writes are committed as one change whose message is the context's title,
//    or the type name without a context (or with an empty title).
// 5. When the action needs a transport, the encoded action goes to `replicate` with the
//    actor; a transport error is the dispatch's error (the change is already made).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "crdt/document.hpp"
#include "vesk_actions/action_error.hpp"
#include "vesk_actions/context.hpp"
#include "vesk_actions/encoded_action.hpp"
#include "vesk_actions/executable_action.hpp"

namespace vesk_actions {

enum class Delivery : std::uint8_t {
  None,    // the action needed no transport
  Local,   // handed to an in-process transport
  Remote,  // handed to a transport that sends to peers
};

// What a successful dispatch did.
struct Dispatched {
  std::string description;                 // the action's debug text
  std::optional<crdt::ChangeHash> change;  // none when the action wrote nothing
  Delivery delivery = Delivery::None;
};

ActionResult<Dispatched> dispatch_by(crdt::Document& doc, const ExecutableAction& action,
                                     EncodedAction encoded, ActionTransport& transport,
                                     std::span<const std::uint8_t> actor);

ActionResult<Dispatched> dispatch_by_with_context(crdt::Document& doc,
                                                  const ExecutableAction& action,
                                                  EncodedAction encoded, ActionTransport& transport,
                                                  std::span<const std::uint8_t> actor,
                                                  ActionContext context);

}  // namespace vesk_actions
