// The host through which a widget dispatches typed actions to the document.
//
// dispatch_with_context, in order:
//  1. Encode the action under the type name with the caller's encoder. On error: log, and
//     nothing else happens (no hook runs; the document and the host are untouched).
//  2. Announce the dispatch (hooks().typed_action_before): an optional token.
//  3. Heads before: the token's heads when there is a token, else the document's heads.
//  4. Actor: the document's actor id, copied.
//  5. A new LocalTransport for this dispatch.
//  6. Context: without a host context the given one as it is (present or absent); with a host
//     context and none given, a copy of the host context; with both, the given one enriched by
//     the host context.
//  7. Execute (dispatch_by_with_context with a context, dispatch_by without one) with a copy
//     of the encoded action.
//  8. On an executor error: log it; the host is untouched and nothing is reported.
//  9. On success: with a token, report the token and the document's heads now.
// 10. Pending heads, when empty, become the heads before; otherwise they stay, so they always
//     describe the document before the first change nobody has collected yet.
// 11. The last action becomes the encoded action of step 1.
// Failures are logged once at warning level as
//   action dispatch failed error="<ActionError display>" type_name="<type name>"
// and never reach the caller.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "crdt/document.hpp"
#include "vesk_actions/action_error.hpp"
#include "vesk_actions/context.hpp"
#include "vesk_actions/encoded_action.hpp"
#include "vesk_actions/executable_action.hpp"
#include "vesk_ui/action_host_hooks.hpp"

namespace spdlog {
class logger;
}

namespace vesk_ui {

class ActionHost {
 public:
  // Encodes the dispatched value under the given type name.
  using Encoder = std::function<vesk_actions::ActionResult<vesk_actions::EncodedAction>(
      std::string_view type_name)>;

  // Logs to spdlog's default logger.
  ActionHost();
  explicit ActionHost(std::shared_ptr<spdlog::logger> logger);

  void dispatch_with_context(crdt::Document& doc, std::string_view type_name,
                             const vesk_actions::ExecutableAction& action, const Encoder& encode,
                             std::optional<vesk_actions::ActionContext> context);

  // The heads from before the first change not collected yet; taking them empties them.
  std::optional<ChangeHashes> take_pending_heads() { return std::exchange(pending_heads_, {}); }
  const std::optional<ChangeHashes>& pending_heads() const { return pending_heads_; }
  // The most recent action applied successfully.
  const std::optional<vesk_actions::EncodedAction>& last_action() const { return last_action_; }

  const std::optional<vesk_actions::ActionContext>& host_context() const { return host_context_; }
  void set_host_context(std::optional<vesk_actions::ActionContext> context) {
    host_context_ = std::move(context);
  }

  TypedActionHooks& hooks() { return hooks_; }
  const TypedActionHooks& hooks() const { return hooks_; }

 private:
  void log_failure(const vesk_actions::ActionError& error, std::string_view type_name) const;

  std::optional<ChangeHashes> pending_heads_;
  std::optional<vesk_actions::EncodedAction> last_action_;
  std::optional<vesk_actions::ActionContext> host_context_;
  TypedActionHooks hooks_;
  std::shared_ptr<spdlog::logger> logger_;
};

}  // namespace vesk_ui
