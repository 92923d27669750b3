#pragma once
// QUIC endpoints, connections and unidirectional streams (ngtcp2 + GnuTLS on asio).
//
// An Endpoint owns one UDP socket and a fresh Ed25519 key made when it is bound; its id is the
// public key. Both sides of a connection present a self-signed certificate of their endpoint key
// (TLS 1.3). The dialling side refuses a peer whose key is not the id it dialled; the accepting
// side learns the dialler's id from its certificate. There is no certificate authority.
//
// All handles are cheap to copy (Endpoint, Connection) or to move (streams). Their operations may
// be awaited from tasks on any thread; each endpoint serialises its protocol work on one strand of
// the runtime it was bound on, and a task resumes on its own executor.
//
// Lifetime: a connection lives while any handle to it (Connection, SendStream, RecvStream) does and
// the peer keeps it open. When the last handle is dropped, data already written is still delivered
// (up to the idle timeout) and then the connection is closed. Connection loss, a close by the peer
// and the idle timeout fail every pending and later operation with an error. Dropping the last
// Endpoint handle closes all its connections.

#include <p2p/endpoint_addr.hpp>
#include <p2p/result.hpp>
#include <p2p/runtime.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace p2p {

using Bytes = std::vector<std::uint8_t>;

namespace detail {
class EndpointCore;
class ConnectionCore;
struct ConnectionHold;
struct EndpointHold;
struct Access;
struct SendShared;
struct RecvShared;
}  // namespace detail

struct EndpointConfig {
  // The unspecified IPv6 address binds every interface of both families, and addr() then lists
  // the addresses of all interfaces; a specific address binds (and lists) only that one.
  TransportAddr bind_addr{asio::ip::address_v6::any(), 0};
  // A connection without any packet from its peer for this long is lost. Keep-alive packets are
  // sent at a third of it, so only a silent peer reaches it.
  std::chrono::milliseconds idle_timeout{10'000};
  // Upper bound for a dial to complete its handshake.
  std::chrono::milliseconds handshake_timeout{10'000};
};

class SendStream {
 public:
  SendStream(SendStream&&) noexcept = default;
  SendStream& operator=(SendStream&&) noexcept = default;
  ~SendStream();  // finishes the stream if finish() was not called

  // Queues all of `data` on the stream. Completes once the bytes are buffered; waits while the
  // stream's unacknowledged buffer is full (the peer's flow control and congestion control set the
  // pace). Fails when the connection is lost or the peer stopped the stream. `data` is copied
  // before this returns.
  Task<Result<void>> write_all(std::span<const std::uint8_t> data);

  // Ends the stream after the data written so far. A second finish is an error.
  Result<void> finish();

  std::int64_t id() const { return stream_id_; }

 private:
  friend struct detail::Access;
  SendStream(std::shared_ptr<detail::ConnectionHold> hold,
             std::shared_ptr<detail::SendShared> shared, std::int64_t id)
      : hold_(std::move(hold)), shared_(std::move(shared)), stream_id_(id) {}

  std::shared_ptr<detail::ConnectionHold> hold_;
  std::shared_ptr<detail::SendShared> shared_;
  std::int64_t stream_id_ = -1;
  bool finished_ = false;
};

class RecvStream {
 public:
  RecvStream(RecvStream&&) noexcept = default;
  RecvStream& operator=(RecvStream&&) noexcept = default;
  ~RecvStream();  // asks the peer to stop sending if the stream has not ended

  // The largest read: the receive window of a stream, which a single read cannot exceed since
  // credit goes back to the sender only as bytes are read.
  static constexpr std::size_t max_read_size = 4u << 20;

  // Gives exactly `n` bytes (at most max_read_size; more is an ErrorKind::io error at once).
  // Fails with ErrorKind::stream_finished when the stream ends first
  // (the bytes before the end are not given), or when the stream or connection fails. Bytes
  // that arrived before a failure are still given. Await every read before starting the next:
  // bytes already received are taken when the operation is created.
  Task<Result<Bytes>> read_exact(std::size_t n);

  std::int64_t id() const { return stream_id_; }

 private:
  friend struct detail::Access;
  RecvStream(std::shared_ptr<detail::ConnectionHold> hold,
             std::shared_ptr<detail::RecvShared> shared, std::int64_t id)
      : hold_(std::move(hold)), shared_(std::move(shared)), stream_id_(id) {}

  std::shared_ptr<detail::ConnectionHold> hold_;
  std::shared_ptr<detail::RecvShared> shared_;
  std::int64_t stream_id_ = -1;
};

class Connection {
 public:
  // The peer's endpoint id (its verified public key) and the negotiated ALPN.
  const EndpointId& remote_id() const;
  const std::string& alpn() const;

  // Opens a stream towards the peer; waits while the peer's stream limit is reached.
  Task<Result<SendStream>> open_uni();
  // Waits for the next stream the peer opens.
  Task<Result<RecvStream>> accept_uni();

  // Closes the connection at once with an application error code; pending operations fail.
  void close(std::uint64_t code, std::string_view reason);

 private:
  friend struct detail::Access;
  explicit Connection(std::shared_ptr<detail::ConnectionHold> hold) : hold_(std::move(hold)) {}

  std::shared_ptr<detail::ConnectionHold> hold_;
};

class Endpoint {
 public:
  // Binds a UDP socket on the awaiting task's runtime and makes a fresh key. No connection is
  // accepted until a Router is spawned on the endpoint.
  static Task<Result<Endpoint>> bind(EndpointConfig config = {});

  const EndpointId& id() const;
  // The id and the socket addresses as known now.
  EndpointAddr addr() const;

  // Dials every usable address of `addr` at once and keeps the first connection whose handshake
  // completes with the expected key; the others are dropped.
  Task<Result<Connection>> connect(EndpointAddr addr, std::string alpn) const;

 private:
  friend struct detail::Access;
  explicit Endpoint(std::shared_ptr<detail::EndpointHold> hold) : hold_(std::move(hold)) {}

  std::shared_ptr<detail::EndpointHold> hold_;
};

}  // namespace p2p
