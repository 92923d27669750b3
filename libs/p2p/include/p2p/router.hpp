#pragma once
// Accepting connections: a Router hands each incoming connection to the handler registered for the
// ALPN the dialler asked for. A dial under any other ALPN fails its TLS handshake.

#include <p2p/endpoint.hpp>
#include <p2p/result.hpp>
#include <p2p/runtime.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace p2p {

class ProtocolHandler {
 public:
  virtual ~ProtocolHandler() = default;
  // Runs as a task of its own for each accepted connection. Its error ends that connection's
  // handling and is not reported further.
  virtual Task<Result<void>> accept(Connection connection) = 0;
};

namespace detail {
struct RouterState;
}

class Router {
 public:
  class Builder {
   public:
    // Registers `handler` for `alpn` (1 to 255 bytes); a later registration of the same ALPN wins.
    Builder& accept(std::string alpn, std::shared_ptr<ProtocolHandler> handler);
    // Starts accepting. Fails when no protocol is registered or an ALPN is empty or too long.
    Result<Router> spawn();

   private:
    friend class Router;
    explicit Builder(Endpoint endpoint) : endpoint_(std::move(endpoint)) {}
    Endpoint endpoint_;
    std::vector<std::pair<std::string, std::shared_ptr<ProtocolHandler>>> protocols_;
  };

  static Builder builder(Endpoint endpoint) { return Builder(std::move(endpoint)); }

  Router(Router&&) noexcept = default;
  Router& operator=(Router&&) noexcept = default;
  // Stops accepting new connections; connections already handed to handlers go on.
  ~Router();

  const Endpoint& endpoint() const;

 private:
  explicit Router(std::shared_ptr<detail::RouterState> state) : state_(std::move(state)) {}
  std::shared_ptr<detail::RouterState> state_;
};

}  // namespace p2p
