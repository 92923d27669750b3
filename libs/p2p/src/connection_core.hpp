#pragma once
// One QUIC connection: the ngtcp2 state machine, its TLS session, its streams and the operations
// waiting on them. Every member is used on the owning endpoint's strand only.

#include "stream_shared.hpp"
#include "tls_identity.hpp"

#include <p2p/detail/completion.hpp>
#include <p2p/endpoint.hpp>

#include <ngtcp2/ngtcp2.h>
#include <asio/steady_timer.hpp>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace p2p::detail {

class EndpointCore;
class ConnectionCore;

// What a public handle shares: both cores, kept alive together. Dropping the last one tells the
// connection that nobody will use it again.
struct ConnectionHold {
  ConnectionHold(std::shared_ptr<EndpointCore> e, std::shared_ptr<ConnectionCore> c)
      : endpoint(std::move(e)), core(std::move(c)) {}
  ~ConnectionHold();
  ConnectionHold(const ConnectionHold&) = delete;
  ConnectionHold& operator=(const ConnectionHold&) = delete;

  std::shared_ptr<EndpointCore> endpoint;
  std::shared_ptr<ConnectionCore> core;
  EndpointId remote_id;  // fixed before the first handle exists
  std::string alpn;
};

// The attempts of one connect(), one per transport address; the first handshake wins.
struct DialGroup {
  Completion<Result<Connection>> done;
  std::size_t pending = 0;
  std::optional<Error> best_error;
  std::vector<std::weak_ptr<ConnectionCore>> attempts;

  // One attempt failed; the dial fails with the most telling error once all have.
  void failed(const Error& error);
};

struct ConnDeleter {
  void operator()(ngtcp2_conn* c) const { ngtcp2_conn_del(c); }
};

class ConnectionCore final : public TlsPeer, public std::enable_shared_from_this<ConnectionCore> {
 public:
  static Result<std::shared_ptr<ConnectionCore>> make_client(EndpointCore& ep,
                                                             const TransportAddr& remote,
                                                             const EndpointId& expected,
                                                             const std::string& alpn,
                                                             std::shared_ptr<DialGroup> group);
  static Result<std::shared_ptr<ConnectionCore>> make_server(EndpointCore& ep,
                                                             const TransportAddr& remote,
                                                             const ngtcp2_pkt_hd& hd);

  struct Private {};
  ConnectionCore(Private, EndpointCore& ep, const TransportAddr& remote);
  ~ConnectionCore() override;

  // Network input and output.
  void on_packet(const std::uint8_t* data, std::size_t size, const TransportAddr& from);
  void flush();

  // Application operations.
  void open_uni(std::shared_ptr<ConnectionHold> hold, Completion<Result<SendStream>> done);
  void accept_uni(std::shared_ptr<ConnectionHold> hold, Completion<Result<RecvStream>> done);
  void write_slow(std::int64_t stream, Bytes data, Completion<Result<void>> done);
  void drain_send(std::int64_t stream);
  void report_credit(std::int64_t stream);
  void finish(std::int64_t stream);
  void read_exact(std::int64_t stream, std::size_t n, Completion<Result<Bytes>> done);
  void send_stream_dropped(std::int64_t stream);
  void recv_stream_dropped(std::int64_t stream);
  void close_app(std::uint64_t code, const std::string& reason, Error local);
  void handles_dropped();

  // Closes with CONNECTION_CLOSE (when still open) and fails everything with `error`.
  void close_with(Error error);
  // The runtime is going away: drop waiters and timers without sending anything.
  void release_io();

  bool dead() const { return failure_.has_value(); }
  const std::vector<std::string>& cids() const { return cids_; }

  // TlsPeer
  ngtcp2_conn* quic() override { return conn_.get(); }
  bool accept_peer_key(const std::optional<EndpointId>& key) override;

 private:
  struct WriteWaiter {
    std::uint64_t end;  // completes once acked >= end - send_high_water
    Completion<Result<void>> done;
  };
  struct SendState {
    std::shared_ptr<SendShared> shared = std::make_shared<SendShared>();
    std::deque<Block> blocks;  // unacknowledged data; ngtcp2 points into it until acked
    std::uint64_t queued = 0;  // end of the data taken from the application
    std::uint64_t sent = 0;    // end of the data handed to ngtcp2
    std::uint64_t acked = 0;
    bool fin_requested = false;
    bool fin_sent = false;
    bool closed = false;
    std::optional<Error> error;
    std::deque<WriteWaiter> waiters;
  };
  struct ReadWaiter {
    std::size_t n;
    Completion<Result<Bytes>> done;
  };
  struct RecvState {
    std::shared_ptr<RecvShared> shared = std::make_shared<RecvShared>();
    std::deque<ReadWaiter> waiters;
  };
  struct AcceptWaiter {
    std::shared_ptr<ConnectionHold> hold;
    Completion<Result<RecvStream>> done;
  };
  struct OpenWaiter {
    std::shared_ptr<ConnectionHold> hold;
    Completion<Result<SendStream>> done;
  };

  Result<void> init_client(const EndpointId& expected, const std::string& alpn);
  Result<void> init_server(const ngtcp2_pkt_hd& hd);
  void fill_settings(ngtcp2_settings& settings, ngtcp2_transport_params& params) const;
  static ngtcp2_callbacks callbacks(bool client);

  // ngtcp2 callbacks
  static int on_recv_stream_data(ngtcp2_conn*, std::uint32_t flags, std::int64_t id,
                                 std::uint64_t offset, const std::uint8_t* data, std::size_t len,
                                 void* user, void* stream_user);
  static int on_stream_open(ngtcp2_conn*, std::int64_t id, void* user);
  static int on_acked(ngtcp2_conn*, std::int64_t id, std::uint64_t offset, std::uint64_t len,
                      void* user, void* stream_user);
  static int on_stream_close(ngtcp2_conn*, std::uint32_t flags, std::int64_t id,
                             std::uint64_t app_error, void* user, void* stream_user);
  static int on_stream_reset(ngtcp2_conn*, std::int64_t id, std::uint64_t final_size,
                             std::uint64_t app_error, void* user, void* stream_user);
  static int on_stream_stop_sending(ngtcp2_conn*, std::int64_t id, std::uint64_t app_error,
                                    void* user, void* stream_user);
  static int on_extend_max_uni(ngtcp2_conn*, std::uint64_t max_streams, void* user);
  static int on_handshake_completed(ngtcp2_conn*, void* user);
  static int on_handshake_confirmed(ngtcp2_conn*, void* user);
  static int on_new_cid(ngtcp2_conn*, ngtcp2_cid* cid, std::uint8_t* token, std::size_t len,
                        void* user);
  static int on_remove_cid(ngtcp2_conn*, const ngtcp2_cid* cid, void* user);
  static void on_rand(std::uint8_t* dest, std::size_t len, const ngtcp2_rand_ctx*);

  void deliver_reads(std::int64_t id, RecvState& st);
  void drain_inbox(SendState& st);
  void release_acked(SendState& st);
  void fail_send(SendState& st, const Error& error);
  void extend_credit(std::int64_t id, std::uint64_t bytes);
  void serve_open_waiters();
  void established();  // handshake done on this side: hand over to router or dial group
  void fail(Error error);
  Error error_from_read(int rv);
  Error peer_close_error() const;
  void arm_timer();
  void on_timer();
  bool drained() const;
  void maybe_close_drained();
  void register_cid(const ngtcp2_cid& cid);

  EndpointCore& ep_;
  bool client_ = false;
  TransportAddr remote_;
  ngtcp2_crypto_conn_ref conn_ref_{};
  std::unique_ptr<ngtcp2_conn, ConnDeleter> conn_;
  TlsSession tls_;
  std::optional<EndpointId> expected_id_;
  std::optional<EndpointId> peer_id_;
  std::string alpn_;
  std::optional<Error> auth_error_;
  std::optional<Error> failure_;
  bool established_ = false;
  std::vector<std::string> cids_;
  std::shared_ptr<DialGroup> group_;

  std::optional<asio::steady_timer> timer_;
  std::uint64_t armed_expiry_ = UINT64_MAX;
  bool immediate_posted_ = false;
  std::uint64_t drain_deadline_ = UINT64_MAX;
  bool abandoned_ = false;
  std::optional<Error> callback_error_;

  std::map<std::int64_t, SendState> sends_;
  std::map<std::int64_t, RecvState> recvs_;
  std::deque<std::int64_t> incoming_;
  std::deque<AcceptWaiter> accept_waiters_;
  std::deque<OpenWaiter> open_waiters_;
};

}  // namespace p2p::detail
