#include "vesk_ui/action_host.hpp"

#include <spdlog/spdlog.h>

#include <string>
#include <utility>
#include <vector>

#include "vesk_actions/executor.hpp"

namespace vesk_ui {
namespace {

// A log field value in double quotes, with quotes and backslashes escaped, so that a reader
// can split the fields again whatever the error text holds.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace

ActionHost::ActionHost() : logger_(spdlog::default_logger()) {}

ActionHost::ActionHost(std::shared_ptr<spdlog::logger> logger) : logger_(std::move(logger)) {}

void ActionHost::dispatch_with_context(crdt::Document& doc, std::string_view type_name,
                                       const vesk_actions::ExecutableAction& action,
                                       const Encoder& encode,
                                       std::optional<vesk_actions::ActionContext> context) {
  auto encoded = encode(type_name);
  if (!encoded) {
    log_failure(encoded.error(), type_name);
    return;
  }

  std::optional<ChangeHashes> token = hooks_.typed_action_before(doc);
  ChangeHashes heads_before = token ? *token : doc.get_heads();
  std::vector<std::uint8_t> actor = doc.get_actor().to_bytes();
  vesk_actions::LocalTransport transport;

  if (host_context_) {
    context = context ? context->enriched_by(*host_context_) : *host_context_;
  }

  auto executed = context
                      ? vesk_actions::dispatch_by_with_context(
                            doc, action, encoded.value(), transport, actor, std::move(*context))
                      : vesk_actions::dispatch_by(doc, action, encoded.value(), transport, actor);
  if (!executed) {
    log_failure(executed.error(), type_name);
    return;
  }

  if (token) hooks_.report_typed_action(doc, *token, doc.get_heads());
  if (!pending_heads_) pending_heads_ = std::move(heads_before);
  last_action_ = std::move(encoded).value();
}

void ActionHost::log_failure(const vesk_actions::ActionError& error,
                             std::string_view type_name) const {
  auto& logger = logger_ ? *logger_ : *spdlog::default_logger_raw();
  logger.warn("action dispatch failed error={} type_name={}", quoted(error.display()),
              quoted(type_name));
}

}  // namespace vesk_ui
