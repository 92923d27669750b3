// The public handles: each operation runs on the endpoint's strand and completes on the
// awaiting task's executor.

#include "access.hpp"
#include "connection_core.hpp"
#include "endpoint_core.hpp"

#include <p2p/endpoint.hpp>

#include <asio/async_result.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>

namespace p2p {
namespace {

using detail::Completion;
using detail::EndpointCore;

Error runtime_gone() {
  return Error{ErrorKind::closed, "runtime stopped"};
}

// Starts `op(done)` on the endpoint's strand, or fails `done` when the endpoint's runtime is gone.
template <class T, class Op>
void on_strand(const std::shared_ptr<EndpointCore>& core, Completion<T> done, Op op) {
  auto box = std::make_shared<Completion<T>>(std::move(done));
  if (!core->post([box, op = std::move(op)]() mutable { op(std::move(*box)); })) {
    box->complete(runtime_gone());
  }
}

template <class T, class Op>
Task<T> run(std::shared_ptr<EndpointCore> core, Op op) {
  return asio::async_initiate<const asio::use_awaitable_t<>&, void(T)>(
      [core = std::move(core), op = std::move(op)](auto handler) mutable {
        on_strand<T>(core, Completion<T>(std::move(handler)), std::move(op));
      },
      asio::use_awaitable);
}

template <class T>
Task<T> ready(T value) {
  co_return value;
}

Error moved_from() {
  return Error{ErrorKind::closed, "handle was moved from"};
}

}  // namespace

// ---- Endpoint ----

Task<Result<Endpoint>> Endpoint::bind(EndpointConfig config) {
  auto ex = co_await asio::this_coro::executor;
  auto core = EndpointCore::bind(ex, config);
  if (!core) co_return core.error();
  co_return detail::Access::endpoint(std::make_shared<detail::EndpointHold>(std::move(*core)));
}

const EndpointId& Endpoint::id() const {
  return hold_->core->id();
}

EndpointAddr Endpoint::addr() const {
  return hold_->core->addr();
}

Task<Result<Connection>> Endpoint::connect(EndpointAddr addr, std::string alpn) const {
  // The dial keeps the endpoint open until it completes.
  return run<Result<Connection>>(hold_->core,
                                 [hold = hold_, addr = std::move(addr),
                                  alpn = std::move(alpn)](Completion<Result<Connection>> done) {
                                   hold->core->connect(addr, alpn, std::move(done));
                                 });
}

// ---- Connection ----

const EndpointId& Connection::remote_id() const {
  return hold_->remote_id;
}

const std::string& Connection::alpn() const {
  return hold_->alpn;
}

Task<Result<SendStream>> Connection::open_uni() {
  return run<Result<SendStream>>(hold_->endpoint,
                                 [hold = hold_](Completion<Result<SendStream>> done) {
                                   hold->core->open_uni(hold, std::move(done));
                                 });
}

Task<Result<RecvStream>> Connection::accept_uni() {
  return run<Result<RecvStream>>(hold_->endpoint,
                                 [hold = hold_](Completion<Result<RecvStream>> done) {
                                   hold->core->accept_uni(hold, std::move(done));
                                 });
}

void Connection::close(std::uint64_t code, std::string_view reason) {
  hold_->endpoint->post([core = hold_->core, code, reason = std::string(reason)] {
    core->close_app(code, reason, Error{ErrorKind::closed, "connection closed locally"});
  });
}

// ---- streams ----

SendStream::~SendStream() {
  if (hold_ && !finished_) {
    hold_->endpoint->post([core = hold_->core, id = stream_id_] { core->send_stream_dropped(id); });
  }
}

// The fast paths run when the operation is created, not when it is awaited, so `data` is copied
// at once. (A coroutine here would meet g++ 12's trouble with temporaries in co_await.)
Task<Result<void>> SendStream::write_all(std::span<const std::uint8_t> data) {
  if (!hold_) return ready<Result<void>>(moved_from());
  if (finished_) return ready<Result<void>>(Error{ErrorKind::closed, "stream already finished"});
  bool post_drain = false;
  auto fast = detail::try_write_fast(*shared_, data, post_drain);
  if (post_drain) {
    hold_->endpoint->post([core = hold_->core, id = stream_id_] { core->drain_send(id); });
  }
  if (fast) return ready<Result<void>>(std::move(*fast));
  return run<Result<void>>(hold_->endpoint,
                           [hold = hold_, id = stream_id_, bytes = Bytes(data.begin(), data.end())](
                               Completion<Result<void>> done) mutable {
                             hold->core->write_slow(id, std::move(bytes), std::move(done));
                           });
}

Result<void> SendStream::finish() {
  if (!hold_) return moved_from();
  if (finished_) return Error{ErrorKind::closed, "stream already finished"};
  finished_ = true;
  if (!hold_->endpoint->post([core = hold_->core, id = stream_id_] { core->finish(id); })) {
    return runtime_gone();
  }
  return {};
}

RecvStream::~RecvStream() {
  if (hold_) {
    hold_->endpoint->post([core = hold_->core, id = stream_id_] { core->recv_stream_dropped(id); });
  }
}

Task<Result<Bytes>> RecvStream::read_exact(std::size_t n) {
  if (!hold_) return ready<Result<Bytes>>(moved_from());
  if (n > max_read_size) {
    return ready<Result<Bytes>>(
        Error{ErrorKind::io, "read of " + std::to_string(n) + " bytes exceeds the stream window"});
  }
  bool post_credit = false;
  auto fast = detail::try_read_fast(*shared_, n, post_credit);
  if (post_credit) {
    hold_->endpoint->post([core = hold_->core, id = stream_id_] { core->report_credit(id); });
  }
  if (fast) return ready<Result<Bytes>>(std::move(*fast));
  return run<Result<Bytes>>(hold_->endpoint,
                            [hold = hold_, id = stream_id_, n](Completion<Result<Bytes>> done) {
                              hold->core->read_exact(id, n, std::move(done));
                            });
}

}  // namespace p2p
