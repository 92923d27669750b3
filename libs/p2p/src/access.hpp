#pragma once
// Builds and opens the public handles from inside the library.

#include <p2p/endpoint.hpp>

namespace p2p::detail {

struct Access {
  static Connection connection(std::shared_ptr<ConnectionHold> hold) {
    return Connection(std::move(hold));
  }
  static SendStream send_stream(std::shared_ptr<ConnectionHold> hold,
                                std::shared_ptr<SendShared> shared, std::int64_t id) {
    return SendStream(std::move(hold), std::move(shared), id);
  }
  static RecvStream recv_stream(std::shared_ptr<ConnectionHold> hold,
                                std::shared_ptr<RecvShared> shared, std::int64_t id) {
    return RecvStream(std::move(hold), std::move(shared), id);
  }
  static Endpoint endpoint(std::shared_ptr<EndpointHold> hold) { return Endpoint(std::move(hold)); }
  static const std::shared_ptr<EndpointHold>& hold(const Endpoint& e) { return e.hold_; }
};

}  // namespace p2p::detail
