#include "vesk_actions/executor.hpp"

#include <algorithm>
#include <utility>

namespace vesk_actions {
namespace {

ActionResult<Dispatched> execute(crdt::Document& doc, const ExecutableAction& action,
                                 const EncodedAction& encoded, ActionTransport& transport,
                                 std::span<const std::uint8_t> actor,
                                 const std::string& change_message) {
  auto own = doc.get_actor().bytes();
  if (!std::equal(actor.begin(), actor.end(), own.begin(), own.end()))
    return ActionError::execute("actor is not the document's actor");

  doc.commit();
  if (auto applied = action.apply(doc); !applied) return std::move(applied).error();

  Dispatched done;
  done.description = action.debug_text();
  done.change = doc.commit(change_message);
  if (action.needs_transport()) {
    if (auto sent = transport.replicate(encoded, actor); !sent) return std::move(sent).error();
    done.delivery = transport.is_local() ? Delivery::Local : Delivery::Remote;
  }
  return done;
}

}  // namespace

ActionResult<Dispatched> dispatch_by(crdt::Document& doc, const ExecutableAction& action,
                                     EncodedAction encoded, ActionTransport& transport,
                                     std::span<const std::uint8_t> actor) {
  return execute(doc, action, encoded, transport, actor, encoded.type_name);
}

ActionResult<Dispatched> dispatch_by_with_context(crdt::Document& doc,
                                                  const ExecutableAction& action,
                                                  EncodedAction encoded, ActionTransport& transport,
                                                  std::span<const std::uint8_t> actor,
                                                  ActionContext context) {
  const std::string& message = context.title.empty() ? encoded.type_name : context.title;
  return execute(doc, action, encoded, transport, actor, message);
}

}  // namespace vesk_actions
