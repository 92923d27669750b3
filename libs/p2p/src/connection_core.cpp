#include "connection_core.hpp"

#include "access.hpp"
#include "clock.hpp"
#include "connection_util.hpp"
#include "endpoint_core.hpp"

#include <gnutls/crypto.h>
#include <ngtcp2/ngtcp2_crypto.h>
#include <asio/bind_executor.hpp>

#include <algorithm>
#include <cstring>

namespace p2p::detail {
namespace {

// Receive windows; credit is given back as the application reads, so a reader that stops reading
// stops its sender instead of growing our buffers.
constexpr std::uint64_t stream_window = RecvStream::max_read_size;
constexpr std::uint64_t connection_window = 8u << 20;
constexpr std::uint64_t max_streams_uni = 16;
constexpr std::size_t max_vecs = 16;
// The first probe timeout before any RTT sample; the default of 333 ms makes every loopback
// handshake wait on pacing.
constexpr ngtcp2_duration initial_rtt = 10 * NGTCP2_MILLISECONDS;
constexpr std::uint64_t immediate_slack = 50 * NGTCP2_MICROSECONDS;

ngtcp2_conn* conn_of_ref(ngtcp2_crypto_conn_ref* ref) {
  return static_cast<TlsPeer*>(ref->user_data)->quic();
}

std::string cid_key(const ngtcp2_cid& cid) {
  return std::string(reinterpret_cast<const char*>(cid.data), cid.datalen);
}

ngtcp2_cid random_cid(std::size_t len) {
  ngtcp2_cid cid{};
  cid.datalen = len;
  gnutls_rnd(GNUTLS_RND_NONCE, cid.data, len);
  return cid;
}

ngtcp2_duration to_ngtcp2(std::chrono::milliseconds d) {
  return static_cast<ngtcp2_duration>(d.count()) * NGTCP2_MILLISECONDS;
}

ngtcp2_addr addr_of(const TransportAddr& a) {
  return ngtcp2_addr{
      const_cast<ngtcp2_sockaddr*>(reinterpret_cast<const ngtcp2_sockaddr*>(a.data())),
      static_cast<ngtcp2_socklen>(a.size())};
}

// Worse errors of a dial win: they tell the caller more than "timed out".
int error_rank(ErrorKind k) {
  switch (k) {
    case ErrorKind::authentication:
      return 5;
    case ErrorKind::protocol_refused:
      return 4;
    case ErrorKind::tls:
      return 3;
    case ErrorKind::connection_lost:
      return 2;
    case ErrorKind::timed_out:
      return 1;
    default:
      return 0;
  }
}

Error from_tls_alert(std::uint8_t alert, bool from_peer) {
  std::string who = from_peer ? "peer" : "local";
  switch (alert) {
    case 120:
      return Error{ErrorKind::protocol_refused, "peer accepts no connection for this ALPN"};
    case 42:
    case 43:
    case 46:
    case 48:
    case 116:
      return Error{ErrorKind::authentication,
                   who + " refused the certificate (TLS alert " + std::to_string(alert) + ")"};
    default:
      return Error{ErrorKind::tls, who + " TLS alert " + std::to_string(alert)};
  }
}

}  // namespace

void DialGroup::failed(const Error& error) {
  if (!done) return;
  if (!best_error || error_rank(error.kind) > error_rank(best_error->kind)) best_error = error;
  if (--pending == 0) done.complete(*best_error);
}

ConnectionHold::~ConnectionHold() {
  endpoint->post([c = core] { c->handles_dropped(); });
}

ConnectionCore::ConnectionCore(Private, EndpointCore& ep, const TransportAddr& remote)
    : ep_(ep), remote_(remote) {
  conn_ref_.get_conn = conn_of_ref;
  conn_ref_.user_data = static_cast<TlsPeer*>(this);
}

ConnectionCore::~ConnectionCore() = default;

Result<std::shared_ptr<ConnectionCore>> ConnectionCore::make_client(
    EndpointCore& ep, const TransportAddr& remote, const EndpointId& expected,
    const std::string& alpn, std::shared_ptr<DialGroup> group) {
  auto c = std::make_shared<ConnectionCore>(Private{}, ep, remote);
  c->group_ = std::move(group);
  auto r = c->init_client(expected, alpn);
  if (!r) return r.error();
  return c;
}

Result<std::shared_ptr<ConnectionCore>> ConnectionCore::make_server(EndpointCore& ep,
                                                                    const TransportAddr& remote,
                                                                    const ngtcp2_pkt_hd& hd) {
  auto c = std::make_shared<ConnectionCore>(Private{}, ep, remote);
  auto r = c->init_server(hd);
  if (!r) return r.error();
  return c;
}

ngtcp2_callbacks ConnectionCore::callbacks(bool client) {
  ngtcp2_callbacks cb{};
  if (client) {
    cb.client_initial = ngtcp2_crypto_client_initial_cb;
    cb.recv_retry = ngtcp2_crypto_recv_retry_cb;
  } else {
    cb.recv_client_initial = ngtcp2_crypto_recv_client_initial_cb;
  }
  cb.recv_crypto_data = ngtcp2_crypto_recv_crypto_data_cb;
  cb.encrypt = ngtcp2_crypto_encrypt_cb;
  cb.decrypt = ngtcp2_crypto_decrypt_cb;
  cb.hp_mask = ngtcp2_crypto_hp_mask_cb;
  cb.update_key = ngtcp2_crypto_update_key_cb;
  cb.delete_crypto_aead_ctx = ngtcp2_crypto_delete_crypto_aead_ctx_cb;
  cb.delete_crypto_cipher_ctx = ngtcp2_crypto_delete_crypto_cipher_ctx_cb;
  cb.get_path_challenge_data = ngtcp2_crypto_get_path_challenge_data_cb;
  cb.version_negotiation = ngtcp2_crypto_version_negotiation_cb;
  cb.rand = on_rand;
  cb.get_new_connection_id = on_new_cid;
  cb.remove_connection_id = on_remove_cid;
  cb.handshake_completed = on_handshake_completed;
  cb.handshake_confirmed = on_handshake_confirmed;
  cb.recv_stream_data = on_recv_stream_data;
  cb.stream_open = on_stream_open;
  cb.acked_stream_data_offset = on_acked;
  cb.stream_close = on_stream_close;
  cb.stream_reset = on_stream_reset;
  cb.stream_stop_sending = on_stream_stop_sending;
  cb.extend_max_local_streams_uni = on_extend_max_uni;
  return cb;
}

void ConnectionCore::fill_settings(ngtcp2_settings& s, ngtcp2_transport_params& p) const {
  ngtcp2_settings_default(&s);
  s.initial_ts = now_ns();
  s.initial_rtt = initial_rtt;
  s.handshake_timeout = to_ngtcp2(ep_.config().handshake_timeout);
  s.max_tx_udp_payload_size = max_udp_payload;
  s.no_pmtud = 1;
  s.max_window = 2 * connection_window;
  s.max_stream_window = 2 * stream_window;
  ngtcp2_transport_params_default(&p);
  p.initial_max_streams_uni = max_streams_uni;
  p.initial_max_stream_data_uni = stream_window;
  p.initial_max_data = connection_window;
  p.max_idle_timeout = to_ngtcp2(ep_.config().idle_timeout);
}

Result<void> ConnectionCore::init_client(const EndpointId& expected, const std::string& alpn) {
  client_ = true;
  expected_id_ = expected;
  alpn_ = alpn;
  ngtcp2_settings settings;
  ngtcp2_transport_params params;
  fill_settings(settings, params);
  ngtcp2_cid dcid = random_cid(18);
  ngtcp2_cid scid = random_cid(cid_length);
  ngtcp2_path path{addr_of(ep_.local()), addr_of(remote_), nullptr};
  auto cb = callbacks(true);
  ngtcp2_conn* raw = nullptr;
  int rv = ngtcp2_conn_client_new(&raw, &dcid, &scid, &path, NGTCP2_PROTO_VER_V1, &cb, &settings,
                                  &params, nullptr, this);
  if (rv != 0) return lost(std::string("cannot create connection: ") + ngtcp2_strerror(rv));
  conn_.reset(raw);
  auto tls = make_client_session(ep_.identity(), &conn_ref_, alpn);
  if (!tls) return tls.error();
  tls_ = std::move(tls.value());
  ngtcp2_conn_set_tls_native_handle(raw, tls_.get());
  ngtcp2_conn_set_keep_alive_timeout(raw, to_ngtcp2(ep_.config().idle_timeout) / 3);
  timer_.emplace(ep_.runtime_executor());
  register_cid(scid);
  return {};
}

Result<void> ConnectionCore::init_server(const ngtcp2_pkt_hd& hd) {
  client_ = false;
  const Acceptor* acceptor = ep_.acceptor();
  if (acceptor == nullptr) return Error{ErrorKind::closed, "not accepting connections"};
  ngtcp2_settings settings;
  ngtcp2_transport_params params;
  fill_settings(settings, params);
  ngtcp2_cid scid = random_cid(cid_length);
  params.original_dcid = hd.dcid;
  params.stateless_reset_token_present = 1;
  const auto& secret = ep_.reset_secret();
  if (ngtcp2_crypto_generate_stateless_reset_token(params.stateless_reset_token, secret.data(),
                                                   secret.size(), &scid) != 0) {
    return Error{ErrorKind::tls, "cannot make stateless reset token"};
  }
  ngtcp2_path path{addr_of(ep_.local()), addr_of(remote_), nullptr};
  auto cb = callbacks(false);
  ngtcp2_conn* raw = nullptr;
  int rv = ngtcp2_conn_server_new(&raw, &hd.scid, &scid, &path, hd.version, &cb, &settings, &params,
                                  nullptr, this);
  if (rv != 0) return lost(std::string("cannot create connection: ") + ngtcp2_strerror(rv));
  conn_.reset(raw);
  auto tls = make_server_session(ep_.identity(), &conn_ref_, acceptor->alpns);
  if (!tls) return tls.error();
  tls_ = std::move(tls.value());
  ngtcp2_conn_set_tls_native_handle(raw, tls_.get());
  ngtcp2_conn_set_keep_alive_timeout(raw, to_ngtcp2(ep_.config().idle_timeout) / 3);
  timer_.emplace(ep_.runtime_executor());
  register_cid(hd.dcid);
  register_cid(scid);
  return {};
}

void ConnectionCore::register_cid(const ngtcp2_cid& cid) {
  auto key = cid_key(cid);
  cids_.push_back(key);
  ep_.add_cid(key, shared_from_this());
}

bool ConnectionCore::accept_peer_key(const std::optional<EndpointId>& key) {
  if (!key) {
    auth_error_ = Error{ErrorKind::authentication, "peer presented no Ed25519 key"};
    return false;
  }
  if (client_ && *key != *expected_id_) {
    auth_error_ = Error{
        ErrorKind::authentication,
        "peer key " + key->to_hex() + " is not the dialled endpoint id " + expected_id_->to_hex()};
    return false;
  }
  peer_id_ = key;
  return true;
}

// ---- input ----

void ConnectionCore::on_packet(const std::uint8_t* data, std::size_t size,
                               const TransportAddr& from) {
  if (dead()) return;
  auto self = shared_from_this();
  ngtcp2_path path{addr_of(ep_.local()), addr_of(from), nullptr};
  ngtcp2_pkt_info pi{};
  int rv = ngtcp2_conn_read_pkt(conn_.get(), &path, &pi, data, size, now_ns());
  if (rv != 0) {
    if (rv == NGTCP2_ERR_DRAINING) {
      fail(peer_close_error());
    } else if (rv == NGTCP2_ERR_DROP_CONN) {
      fail(lost("connection dropped"));
    } else {
      close_with(error_from_read(rv));
    }
    return;
  }
  ep_.flush_later(self);
}

Error ConnectionCore::error_from_read(int rv) {
  if (auth_error_) return *auth_error_;
  if (callback_error_) return *callback_error_;
  if (rv == NGTCP2_ERR_CRYPTO) {
    std::uint8_t alert = ngtcp2_conn_get_tls_alert(conn_.get());
    if (alert != 0) return from_tls_alert(alert, false);
    return Error{ErrorKind::tls, "handshake failed"};
  }
  return lost(ngtcp2_strerror(rv));
}

Error ConnectionCore::peer_close_error() const {
  ngtcp2_connection_close_error ccerr{};
  ngtcp2_conn_get_connection_close_error(conn_.get(), &ccerr);
  std::string reason(reinterpret_cast<const char*>(ccerr.reason), ccerr.reasonlen);
  switch (ccerr.type) {
    case NGTCP2_CONNECTION_CLOSE_ERROR_CODE_TYPE_APPLICATION: {
      std::string text = "closed by peer with code " + std::to_string(ccerr.error_code);
      if (!reason.empty()) text += " (" + reason + ")";
      return lost(text);
    }
    case NGTCP2_CONNECTION_CLOSE_ERROR_CODE_TYPE_TRANSPORT_IDLE_CLOSE:
      return Error{ErrorKind::timed_out, "idle timeout"};
    default:
      break;
  }
  if ((ccerr.error_code & ~std::uint64_t{0xff}) == NGTCP2_CRYPTO_ERROR) {
    return from_tls_alert(static_cast<std::uint8_t>(ccerr.error_code & 0xff), true);
  }
  if (ccerr.error_code == NGTCP2_NO_ERROR) return lost("closed by peer");
  return lost("closed by peer with transport error " + std::to_string(ccerr.error_code));
}

// ---- output ----

void ConnectionCore::flush() {
  if (dead()) return;
  auto self = shared_from_this();
  if (ep_.send_blocked()) {
    ep_.flush_later(self);
    return;
  }
  std::array<std::uint8_t, max_udp_payload> buf;
  ngtcp2_path_storage ps;
  ngtcp2_path_storage_zero(&ps);
  ngtcp2_pkt_info pi{};
  const std::uint64_t ts = now_ns();
  std::vector<std::int64_t> blocked;  // streams that cannot take data in this pass
  for (auto& [id, st] : sends_) drain_inbox(st);

  for (;;) {
    std::int64_t sid = -1;
    SendState* st = nullptr;
    for (auto& [id, s] : sends_) {
      if (s.error || s.closed || s.fin_sent) continue;
      if (s.sent == s.queued && !s.fin_requested) continue;
      if (std::find(blocked.begin(), blocked.end(), id) != blocked.end()) continue;
      sid = id;
      st = &s;
      break;
    }

    std::array<ngtcp2_vec, max_vecs> vecs{};
    std::size_t nvec = 0;
    std::uint32_t flags = NGTCP2_WRITE_STREAM_FLAG_NONE;
    bool all_data = true;
    if (st != nullptr) {
      flags |= NGTCP2_WRITE_STREAM_FLAG_MORE;
      // Blocks are consecutive; find the one holding `sent` (the first ones are mostly sent).
      auto it = std::lower_bound(
          st->blocks.begin(), st->blocks.end(), st->sent,
          [](const Block& b, std::uint64_t off) { return b.offset + b.data.size() <= off; });
      for (; it != st->blocks.end() && nvec < max_vecs; ++it) {
        std::uint64_t skip = st->sent > it->offset ? st->sent - it->offset : 0;
        vecs[nvec].base = const_cast<std::uint8_t*>(it->data.data() + skip);
        vecs[nvec].len = it->data.size() - skip;
        ++nvec;
      }
      all_data = (it == st->blocks.end());
      if (st->fin_requested && all_data) flags |= NGTCP2_WRITE_STREAM_FLAG_FIN;
    }

    ngtcp2_ssize ndatalen = -1;
    ngtcp2_ssize n =
        ngtcp2_conn_writev_stream(conn_.get(), &ps.path, &pi, buf.data(), buf.size(), &ndatalen,
                                  flags, sid, nvec ? vecs.data() : nullptr, nvec, ts);
    if (st != nullptr && ndatalen >= 0) {
      st->sent += static_cast<std::uint64_t>(ndatalen);
      if ((flags & NGTCP2_WRITE_STREAM_FLAG_FIN) && st->sent == st->queued) st->fin_sent = true;
    }
    if (n < 0) {
      if (n == NGTCP2_ERR_WRITE_MORE) continue;
      if (n == NGTCP2_ERR_STREAM_DATA_BLOCKED || n == NGTCP2_ERR_STREAM_SHUT_WR ||
          n == NGTCP2_ERR_STREAM_NOT_FOUND) {
        blocked.push_back(sid);
        continue;
      }
      close_with(lost(ngtcp2_strerror(static_cast<int>(n))));
      return;
    }
    if (n == 0) break;
    if (!ep_.send_packet(buf.data(), static_cast<std::size_t>(n), remote_)) {
      ep_.flush_later(self);
      break;
    }
  }
  ngtcp2_conn_update_pkt_tx_time(conn_.get(), ts);
  maybe_close_drained();
  arm_timer();
}

void ConnectionCore::close_with(Error error) {
  if (dead()) return;
  auto self = shared_from_this();
  if (!ngtcp2_conn_is_in_closing_period(conn_.get()) &&
      !ngtcp2_conn_is_in_draining_period(conn_.get())) {
    ngtcp2_connection_close_error ccerr{};
    std::uint8_t alert = ngtcp2_conn_get_tls_alert(conn_.get());
    if (error.kind == ErrorKind::closed) {
      ngtcp2_connection_close_error_set_application_error(&ccerr, 0, nullptr, 0);
    } else if (alert != 0) {
      ngtcp2_connection_close_error_set_transport_error_tls_alert(&ccerr, alert, nullptr, 0);
    } else {
      ngtcp2_connection_close_error_set_transport_error(&ccerr, NGTCP2_INTERNAL_ERROR, nullptr, 0);
    }
    std::array<std::uint8_t, max_udp_payload> buf;
    ngtcp2_path_storage ps;
    ngtcp2_path_storage_zero(&ps);
    ngtcp2_pkt_info pi{};
    auto n = ngtcp2_conn_write_connection_close(conn_.get(), &ps.path, &pi, buf.data(), buf.size(),
                                                &ccerr, now_ns());
    if (n > 0) ep_.send_packet(buf.data(), static_cast<std::size_t>(n), remote_);
  }
  fail(std::move(error));
}

void ConnectionCore::close_app(std::uint64_t code, const std::string& reason, Error local) {
  if (dead()) return;
  auto self = shared_from_this();
  if (!ngtcp2_conn_is_in_closing_period(conn_.get()) &&
      !ngtcp2_conn_is_in_draining_period(conn_.get())) {
    ngtcp2_connection_close_error ccerr{};
    ngtcp2_connection_close_error_set_application_error(
        &ccerr, code, reinterpret_cast<const std::uint8_t*>(reason.data()), reason.size());
    std::array<std::uint8_t, max_udp_payload> buf;
    ngtcp2_path_storage ps;
    ngtcp2_path_storage_zero(&ps);
    ngtcp2_pkt_info pi{};
    auto n = ngtcp2_conn_write_connection_close(conn_.get(), &ps.path, &pi, buf.data(), buf.size(),
                                                &ccerr, now_ns());
    if (n > 0) ep_.send_packet(buf.data(), static_cast<std::size_t>(n), remote_);
  }
  fail(std::move(local));
}

// ---- timers ----

void ConnectionCore::arm_timer() {
  if (dead() || !timer_) return;
  std::uint64_t expiry = std::min(ngtcp2_conn_get_expiry(conn_.get()), drain_deadline_);
  // An earlier wake-up already armed stays; it re-arms for the later time when it fires.
  if (expiry >= armed_expiry_) return;
  // Pacing asks for wake-ups a few microseconds ahead; a post is far cheaper than reprogramming
  // the reactor's timer for each of them.
  if (expiry <= now_ns() + immediate_slack && !immediate_posted_) {
    immediate_posted_ = true;
    ep_.post([weak = weak_from_this()] {
      if (auto self = weak.lock()) {
        self->immediate_posted_ = false;
        self->on_timer();
      }
    });
    return;
  }
  if (immediate_posted_ && expiry <= now_ns() + immediate_slack) return;
  armed_expiry_ = expiry;
  timer_->expires_at(from_ns(expiry));
  std::weak_ptr<ConnectionCore> weak = weak_from_this();
  timer_->async_wait(asio::bind_executor(ep_.strand(), [weak](const asio::error_code& ec) {
    if (ec) return;
    if (auto self = weak.lock()) self->on_timer();
  }));
}

void ConnectionCore::on_timer() {
  armed_expiry_ = UINT64_MAX;
  if (dead() || ep_.released()) return;
  auto self = shared_from_this();
  std::uint64_t now = now_ns();
  if (now >= drain_deadline_) {
    close_app(0, {}, Error{ErrorKind::closed, "connection closed"});
    return;
  }
  int rv = ngtcp2_conn_handle_expiry(conn_.get(), now);
  if (rv == NGTCP2_ERR_IDLE_CLOSE) {
    fail(Error{ErrorKind::timed_out, "idle timeout: nothing heard from the peer"});
    return;
  }
  if (rv == NGTCP2_ERR_HANDSHAKE_TIMEOUT) {
    fail(Error{ErrorKind::timed_out, "handshake timeout"});
    return;
  }
  if (rv != 0) {
    close_with(lost(ngtcp2_strerror(rv)));
    return;
  }
  flush();
}

// ---- lifecycle ----

void ConnectionCore::established() {
  if (established_ || dead()) return;
  established_ = true;
  auto self = shared_from_this();
  auto hold = std::make_shared<ConnectionHold>(ep_.shared_from_this(), self);
  hold->remote_id = *peer_id_;
  hold->alpn = selected_alpn(tls_.get());
  alpn_ = hold->alpn;
  if (client_) {
    auto group = std::move(group_);
    if (!group || !group->done) {
      // Another address of the same dial won first.
      close_app(0, "superseded", Error{ErrorKind::closed, "superseded by another path"});
      return;
    }
    group->done.complete(Access::connection(std::move(hold)));
    for (auto& weak : group->attempts) {
      auto other = weak.lock();
      if (other && other != self) {
        other->close_app(0, "superseded", Error{ErrorKind::closed, "superseded by another path"});
      }
    }
    return;
  }
  const Acceptor* acceptor = ep_.acceptor();
  if (acceptor == nullptr) {
    close_app(0, "not accepting", Error{ErrorKind::closed, "not accepting connections"});
    return;
  }
  auto handle = acceptor->handle;  // a copy: the router may go away while the handler runs
  handle(Access::connection(std::move(hold)));
}

void ConnectionCore::fail(Error error) {
  if (failure_) return;
  auto self = shared_from_this();
  failure_ = error;
  timer_.reset();
  armed_expiry_ = UINT64_MAX;
  for (auto& [id, st] : sends_) {
    fail_send(st, error);
    st.blocks.clear();
  }
  for (auto& [id, st] : recvs_) {
    {
      std::lock_guard lock(st.shared->mutex);
      if (!st.shared->error && !st.shared->fin) st.shared->error = error;
    }
    deliver_reads(id, st);
  }
  for (auto& w : accept_waiters_) w.done.complete(error);
  accept_waiters_.clear();
  for (auto& w : open_waiters_) w.done.complete(error);
  open_waiters_.clear();
  if (auto group = std::move(group_)) group->failed(error);
  ep_.forget(*this);
}

void ConnectionCore::release_io() {
  auto self = shared_from_this();
  failure_ = Error{ErrorKind::closed, "runtime stopped"};
  timer_.reset();
  // Parked completions own suspended tasks; destroying them ends those tasks.
  auto sends = std::move(sends_);
  auto recvs = std::move(recvs_);
  auto accepts = std::move(accept_waiters_);
  auto opens = std::move(open_waiters_);
  auto group = std::move(group_);
  sends.clear();
  recvs.clear();
  accepts.clear();
  opens.clear();
  group.reset();
}

void ConnectionCore::handles_dropped() {
  abandoned_ = true;
  if (dead()) return;
  for (auto& [id, st] : sends_) {
    drain_inbox(st);
    if (!st.fin_requested && !st.error) st.fin_requested = true;
  }
  drain_deadline_ = now_ns() + to_ngtcp2(ep_.config().idle_timeout);
  flush();
}

bool ConnectionCore::drained() const {
  return std::all_of(sends_.begin(), sends_.end(), [](const auto& kv) {
    const SendState& st = kv.second;
    return st.error || st.closed || (st.fin_sent && st.acked == st.queued);
  });
}

void ConnectionCore::maybe_close_drained() {
  if (abandoned_ && !dead() && drained()) {
    close_app(0, {}, Error{ErrorKind::closed, "connection closed"});
  }
}

int ConnectionCore::on_extend_max_uni(ngtcp2_conn*, std::uint64_t, void* user) {
  auto* self = self_of(user);
  // Opening streams is not allowed inside a callback; do it on the next pass.
  if (!self->open_waiters_.empty()) {
    self->ep_.post([weak = self->weak_from_this()] {
      if (auto s = weak.lock()) {
        s->serve_open_waiters();
        s->flush();
      }
    });
  }
  return 0;
}

int ConnectionCore::on_handshake_completed(ngtcp2_conn*, void* user) {
  auto* self = self_of(user);
  // The dialler waits for confirmation: only then has the acceptor checked our key too.
  if (!self->client_) {
    if (!self->peer_id_) {
      self->callback_error_ = Error{ErrorKind::authentication, "peer presented no key"};
      return NGTCP2_ERR_CALLBACK_FAILURE;
    }
    self->ep_.post([weak = self->weak_from_this()] {
      if (auto s = weak.lock()) s->established();
    });
  }
  return 0;
}

int ConnectionCore::on_handshake_confirmed(ngtcp2_conn*, void* user) {
  auto* self = self_of(user);
  if (self->client_) {
    self->ep_.post([weak = self->weak_from_this()] {
      if (auto s = weak.lock()) s->established();
    });
  }
  return 0;
}

int ConnectionCore::on_new_cid(ngtcp2_conn*, ngtcp2_cid* cid, std::uint8_t* token, std::size_t len,
                               void* user) {
  auto* self = self_of(user);
  *cid = random_cid(len);
  const auto& secret = self->ep_.reset_secret();
  if (ngtcp2_crypto_generate_stateless_reset_token(token, secret.data(), secret.size(), cid) != 0) {
    return NGTCP2_ERR_CALLBACK_FAILURE;
  }
  self->register_cid(*cid);
  return 0;
}

int ConnectionCore::on_remove_cid(ngtcp2_conn*, const ngtcp2_cid* cid, void* user) {
  auto* self = self_of(user);
  auto key = cid_key(*cid);
  std::erase(self->cids_, key);
  self->ep_.remove_cid(key);
  return 0;
}

void ConnectionCore::on_rand(std::uint8_t* dest, std::size_t len, const ngtcp2_rand_ctx*) {
  gnutls_rnd(GNUTLS_RND_RANDOM, dest, len);
}

}  // namespace p2p::detail
