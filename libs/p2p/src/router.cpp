#include <p2p/router.hpp>

#include "access.hpp"
#include "endpoint_core.hpp"

#include <asio/co_spawn.hpp>

#include <map>

namespace p2p {
namespace detail {

struct RouterState {
  Endpoint endpoint;
  std::shared_ptr<const Acceptor> acceptor;
};

}  // namespace detail

namespace {

Task<void> run_handler(std::shared_ptr<ProtocolHandler> handler, Connection connection) {
  // The handler's error ends its own work only; there is nobody to report it to.
  auto result = co_await handler->accept(std::move(connection));
  (void)result;
}

}  // namespace

Router::Builder& Router::Builder::accept(std::string alpn,
                                         std::shared_ptr<ProtocolHandler> handler) {
  protocols_.emplace_back(std::move(alpn), std::move(handler));
  return *this;
}

Result<Router> Router::Builder::spawn() {
  if (protocols_.empty()) return Error{ErrorKind::protocol_refused, "no protocol registered"};
  auto handlers = std::make_shared<std::map<std::string, std::shared_ptr<ProtocolHandler>>>();
  for (auto& [alpn, handler] : protocols_) {
    if (alpn.empty() || alpn.size() > 255) {
      return Error{ErrorKind::protocol_refused, "ALPN must be 1 to 255 bytes"};
    }
    if (!handler) return Error{ErrorKind::protocol_refused, "no handler for ALPN " + alpn};
    (*handlers)[alpn] = handler;
  }
  const auto& core = detail::Access::hold(endpoint_)->core;
  auto acceptor = std::make_shared<detail::Acceptor>();
  for (const auto& [alpn, handler] : *handlers) acceptor->alpns.push_back(alpn);
  acceptor->handle = [handlers, ex = core->runtime_executor()](Connection connection) {
    auto it = handlers->find(connection.alpn());
    if (it == handlers->end()) return;
    asio::co_spawn(ex, run_handler(it->second, std::move(connection)), [](std::exception_ptr) {});
  };
  std::shared_ptr<const detail::Acceptor> shared = acceptor;
  if (!core->post([c = core.get(), shared] { c->set_acceptor(shared); })) {
    return Error{ErrorKind::closed, "runtime stopped"};
  }
  return Router(std::make_shared<detail::RouterState>(
      detail::RouterState{std::move(endpoint_), std::move(shared)}));
}

Router::~Router() {
  if (!state_) return;
  const auto& core = detail::Access::hold(state_->endpoint)->core;
  core->post([c = core.get(), acceptor = state_->acceptor] { c->clear_acceptor(acceptor.get()); });
}

const Endpoint& Router::endpoint() const {
  return state_->endpoint;
}

}  // namespace p2p
