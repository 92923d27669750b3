#pragma once
// One bound UDP socket and the connections it carries, all run on one strand. Packets are routed
// to connections by destination connection id; unknown Initial packets start a server connection
// when a router accepts connections.

#include "connection_core.hpp"
#include "tls_identity.hpp"

#include <p2p/detail/completion.hpp>
#include <p2p/detail/shutdown_hooks.hpp>
#include <p2p/endpoint.hpp>

#include <asio/any_io_executor.hpp>
#include <asio/ip/udp.hpp>
#include <asio/post.hpp>
#include <asio/strand.hpp>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace p2p::detail {

// Connection ids we issue are this long, which is how short-header packets are parsed.
constexpr std::size_t cid_length = 16;
constexpr std::size_t max_udp_payload = 1452;

struct Acceptor {
  std::vector<std::string> alpns;
  std::function<void(Connection)> handle;
};

class EndpointCore final : public IoOwner, public std::enable_shared_from_this<EndpointCore> {
 public:
  static Result<std::shared_ptr<EndpointCore>> bind(asio::any_io_executor ex,
                                                    const EndpointConfig& config);
  ~EndpointCore() override;

  const EndpointId& id() const { return identity_.id; }
  EndpointAddr addr() const;
  const EndpointConfig& config() const { return config_; }
  const Identity& identity() const { return identity_; }
  const asio::any_io_executor& runtime_executor() const { return executor_; }
  const std::array<std::uint8_t, 32>& reset_secret() const { return reset_secret_; }
  const TransportAddr& local() const { return local_; }

  // Runs `fn` on the strand. Gives false, dropping `fn`, once the runtime has released us.
  template <class F>
  bool post(F&& fn) {
    if (released_.load()) return false;
    asio::post(*strand_, [self = shared_from_this(), f = std::forward<F>(fn)]() mutable {
      if (!self->released_.load()) f();
    });
    return true;
  }
  bool released() const { return released_.load(); }
  asio::strand<asio::any_io_executor>& strand() { return *strand_; }

  // Strand only from here on.
  void connect(const EndpointAddr& addr, const std::string& alpn,
               Completion<Result<Connection>> done);
  void set_acceptor(std::shared_ptr<const Acceptor> acceptor);
  void clear_acceptor(const Acceptor* acceptor);
  const Acceptor* acceptor() const { return acceptor_.get(); }

  // Sends one datagram; false means the socket is full and the caller must stop writing until
  // flush_later() calls it back.
  bool send_packet(const std::uint8_t* data, std::size_t size, const TransportAddr& to);
  bool send_blocked() const { return blocked_.has_value(); }
  // Flushes the connection after the current batch of work (coalesces many small writes).
  void flush_later(const std::shared_ptr<ConnectionCore>& conn);

  void add_cid(const std::string& cid, const std::shared_ptr<ConnectionCore>& conn);
  void remove_cid(const std::string& cid);
  void forget(const ConnectionCore& conn);

  // The last Endpoint handle is gone: close every connection and the socket.
  void close_all();
  bool closed() const { return closed_; }

  void release_io() override;

  // Destination of our packets as the OS socket wants it (IPv4 mapped on a dual-stack socket).
  std::optional<TransportAddr> socket_destination(const TransportAddr& addr) const;

 private:
  struct Private {};

 public:
  EndpointCore(Private, asio::any_io_executor ex, const EndpointConfig& config, Identity identity);

 private:
  void start_receive();
  void on_receive(const asio::error_code& ec, std::size_t n);
  void handle_datagram(const std::uint8_t* data, std::size_t size, const TransportAddr& from);
  void flush_pending();
  void on_writable();

  EndpointConfig config_;
  Identity identity_;
  asio::any_io_executor executor_;
  std::optional<asio::strand<asio::any_io_executor>> strand_;
  std::optional<asio::ip::udp::socket> socket_;
  TransportAddr local_;
  bool dual_stack_ = false;
  std::atomic<bool> released_{false};
  bool closed_ = false;
  std::array<std::uint8_t, 32> reset_secret_{};

  std::unordered_map<std::string, std::shared_ptr<ConnectionCore>> by_cid_;
  std::vector<std::shared_ptr<ConnectionCore>> live_;  // every connection not yet dead
  std::shared_ptr<const Acceptor> acceptor_;

  std::array<std::uint8_t, 65536> rbuf_{};
  asio::ip::udp::endpoint rfrom_;

  std::vector<std::weak_ptr<ConnectionCore>> dirty_;
  bool flush_posted_ = false;
  struct Blocked {
    Bytes packet;
    asio::ip::udp::endpoint to;
  };
  std::optional<Blocked> blocked_;
  std::vector<std::weak_ptr<ConnectionCore>> waiting_writable_;
};

struct EndpointHold {
  explicit EndpointHold(std::shared_ptr<EndpointCore> c) : core(std::move(c)) {}
  ~EndpointHold();
  EndpointHold(const EndpointHold&) = delete;
  EndpointHold& operator=(const EndpointHold&) = delete;
  std::shared_ptr<EndpointCore> core;
};

// The host's interface addresses that an endpoint bound to the unspecified address listens on.
std::vector<asio::ip::address> local_interface_addresses(bool want_v4, bool want_v6);

}  // namespace p2p::detail
