#include "endpoint_core.hpp"

#include <gnutls/crypto.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <asio/bind_executor.hpp>
#include <asio/execution/context.hpp>
#include <asio/ip/v6_only.hpp>
#include <asio/query.hpp>
#include <asio/socket_base.hpp>

#include <algorithm>

namespace p2p::detail {
namespace {

// Room for bursts at full speed without the kernel dropping datagrams.
constexpr int socket_buffer_bytes = 4 << 20;

struct IfaddrsFree {
  void operator()(ifaddrs* a) const { freeifaddrs(a); }
};

Error io_error(const std::string& what, const asio::error_code& ec) {
  return Error{ErrorKind::io, what + ": " + ec.message()};
}

}  // namespace

std::vector<asio::ip::address> local_interface_addresses(bool want_v4, bool want_v6) {
  std::vector<asio::ip::address> out;
  ifaddrs* raw = nullptr;
  if (getifaddrs(&raw) != 0) return out;
  std::unique_ptr<ifaddrs, IfaddrsFree> list(raw);
  for (ifaddrs* a = raw; a != nullptr; a = a->ifa_next) {
    if (a->ifa_addr == nullptr || !(a->ifa_flags & IFF_UP)) continue;
    if (a->ifa_addr->sa_family == AF_INET && want_v4) {
      const auto* sin = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
      asio::ip::address_v4::bytes_type b;
      std::memcpy(b.data(), &sin->sin_addr, b.size());
      out.emplace_back(asio::ip::address_v4(b));
    } else if (a->ifa_addr->sa_family == AF_INET6 && want_v6) {
      const auto* sin6 = reinterpret_cast<const sockaddr_in6*>(a->ifa_addr);
      asio::ip::address_v6::bytes_type b;
      std::memcpy(b.data(), &sin6->sin6_addr, b.size());
      asio::ip::address_v6 v6(b);
      // Link-local addresses need a scope the peer cannot know.
      if (v6.is_link_local() || v6.is_v4_mapped()) continue;
      out.emplace_back(v6);
    }
  }
  return out;
}

EndpointCore::EndpointCore(Private, asio::any_io_executor ex, const EndpointConfig& config,
                           Identity identity)
    : config_(config), identity_(std::move(identity)), executor_(std::move(ex)) {}

EndpointCore::~EndpointCore() = default;

EndpointHold::~EndpointHold() {
  core->post([c = core] { c->close_all(); });
}

Result<std::shared_ptr<EndpointCore>> EndpointCore::bind(asio::any_io_executor ex,
                                                         const EndpointConfig& config) {
  auto identity = make_identity();
  if (!identity) return identity.error();
  auto core = std::make_shared<EndpointCore>(Private{}, ex, config, std::move(identity.value()));
  gnutls_rnd(GNUTLS_RND_RANDOM, core->reset_secret_.data(), core->reset_secret_.size());

  TransportAddr bind_addr = config.bind_addr;
  asio::ip::udp::socket socket(ex);
  asio::error_code ec;
  socket.open(bind_addr.protocol(), ec);
  if (ec && bind_addr.address() == asio::ip::address(asio::ip::address_v6::any())) {
    // A host without IPv6: all IPv4 interfaces instead.
    bind_addr = TransportAddr(asio::ip::address_v4::any(), bind_addr.port());
    socket.open(bind_addr.protocol(), ec);
  }
  if (ec) return io_error("cannot open UDP socket", ec);
  if (bind_addr.address().is_v6() && bind_addr.address().is_unspecified()) {
    asio::error_code v6ec;
    socket.set_option(asio::ip::v6_only(false), v6ec);
    core->dual_stack_ = !v6ec;
  }
  asio::error_code ignored;
  socket.set_option(asio::socket_base::receive_buffer_size(socket_buffer_bytes), ignored);
  socket.set_option(asio::socket_base::send_buffer_size(socket_buffer_bytes), ignored);
  socket.bind(bind_addr, ec);
  if (ec) return io_error("cannot bind " + transport_addr_text(bind_addr), ec);
  socket.non_blocking(true, ec);
  if (ec) return io_error("cannot make socket non-blocking", ec);
  core->local_ = socket.local_endpoint(ec);
  if (ec) return io_error("cannot read socket address", ec);

  core->socket_.emplace(std::move(socket));
  core->strand_.emplace(asio::make_strand(ex));
  asio::use_service<ShutdownHooks>(asio::query(ex, asio::execution::context)).add(core);
  core->post([c = core.get()] { c->start_receive(); });
  return core;
}

EndpointAddr EndpointCore::addr() const {
  EndpointAddr out{id(), {}};
  auto ip = local_.address();
  if (ip.is_unspecified()) {
    for (const auto& a : local_interface_addresses(ip.is_v4() || dual_stack_, ip.is_v6())) {
      out.addrs.emplace_back(a, local_.port());
    }
  } else if (ip.is_v6() && ip.to_v6().is_v4_mapped()) {
    out.addrs.emplace_back(asio::ip::make_address_v4(asio::ip::v4_mapped, ip.to_v6()),
                           local_.port());
  } else {
    out.addrs.push_back(local_);
  }
  return out;
}

std::optional<TransportAddr> EndpointCore::socket_destination(const TransportAddr& addr) const {
  auto ip = addr.address();
  if (local_.address().is_v4()) {
    if (ip.is_v4()) return addr;
    if (ip.to_v6().is_v4_mapped()) {
      return TransportAddr(asio::ip::make_address_v4(asio::ip::v4_mapped, ip.to_v6()), addr.port());
    }
    return std::nullopt;
  }
  if (ip.is_v4()) {
    if (!dual_stack_) return std::nullopt;
    return TransportAddr(asio::ip::make_address_v6(asio::ip::v4_mapped, ip.to_v4()), addr.port());
  }
  return addr;
}

// ---- receiving ----

void EndpointCore::start_receive() {
  if (closed_ || !socket_) return;
  socket_->async_receive_from(
      asio::buffer(rbuf_), rfrom_,
      asio::bind_executor(*strand_,
                          [self = shared_from_this()](const asio::error_code& ec, std::size_t n) {
                            self->on_receive(ec, n);
                          }));
}

void EndpointCore::on_receive(const asio::error_code& ec, std::size_t n) {
  if (released_.load() || closed_ || ec == asio::error::operation_aborted) return;
  if (!ec) handle_datagram(rbuf_.data(), n, rfrom_);
  // Take what is already queued before going back to the reactor.
  for (int i = 0; i < 256 && socket_ && !closed_; ++i) {
    asio::error_code rec;
    std::size_t m = socket_->receive_from(asio::buffer(rbuf_), rfrom_, 0, rec);
    if (rec) break;
    handle_datagram(rbuf_.data(), m, rfrom_);
  }
  flush_pending();
  start_receive();
}

void EndpointCore::handle_datagram(const std::uint8_t* data, std::size_t size,
                                   const TransportAddr& from) {
  ngtcp2_version_cid vc{};
  int rv = ngtcp2_pkt_decode_version_cid(&vc, data, size, cid_length);
  if (rv == NGTCP2_ERR_VERSION_NEGOTIATION) {
    std::array<std::uint8_t, max_udp_payload> buf;
    std::uint32_t versions[] = {NGTCP2_PROTO_VER_V1};
    std::uint8_t unused = 0;
    gnutls_rnd(GNUTLS_RND_NONCE, &unused, 1);
    auto n = ngtcp2_pkt_write_version_negotiation(buf.data(), buf.size(), unused, vc.scid,
                                                  vc.scidlen, vc.dcid, vc.dcidlen, versions, 1);
    if (n > 0) send_packet(buf.data(), static_cast<std::size_t>(n), from);
    return;
  }
  if (rv != 0) return;
  auto it = by_cid_.find(std::string(reinterpret_cast<const char*>(vc.dcid), vc.dcidlen));
  if (it != by_cid_.end()) {
    auto conn = it->second;
    conn->on_packet(data, size, from);
    return;
  }
  // Unknown connection: only an Initial may start one, and only while a router accepts.
  if (acceptor_ == nullptr || closed_ || !(data[0] & 0x80)) return;
  ngtcp2_pkt_hd hd{};
  if (ngtcp2_accept(&hd, data, size) != 0) return;
  auto conn = ConnectionCore::make_server(*this, from, hd);
  if (!conn) return;
  live_.push_back(*conn);
  (*conn)->on_packet(data, size, from);
}

// ---- sending ----

bool EndpointCore::send_packet(const std::uint8_t* data, std::size_t size,
                               const TransportAddr& to) {
  if (!socket_ || closed_) return true;  // dropped: the socket is gone
  if (blocked_) return false;
  asio::error_code ec;
  socket_->send_to(asio::buffer(data, size), to, 0, ec);
  if (ec == asio::error::would_block || ec == asio::error::try_again) {
    blocked_ = Blocked{Bytes(data, data + size), to};
    socket_->async_wait(
        asio::ip::udp::socket::wait_write,
        asio::bind_executor(*strand_, [self = shared_from_this()](const asio::error_code& wec) {
          if (!wec) self->on_writable();
        }));
    return false;
  }
  // Any other error loses this datagram; loss recovery or the timeouts deal with it.
  return true;
}

void EndpointCore::on_writable() {
  if (released_.load() || closed_ || !blocked_) return;
  auto blocked = std::move(*blocked_);
  blocked_.reset();
  if (!send_packet(blocked.packet.data(), blocked.packet.size(), blocked.to)) return;
  for (auto& w : waiting_writable_) dirty_.push_back(std::move(w));
  waiting_writable_.clear();
  flush_pending();
}

void EndpointCore::flush_later(const std::shared_ptr<ConnectionCore>& conn) {
  if (blocked_) {
    waiting_writable_.push_back(conn);
    return;
  }
  dirty_.push_back(conn);
  if (!flush_posted_) {
    flush_posted_ = true;
    post([c = this] { c->flush_pending(); });
  }
}

void EndpointCore::flush_pending() {
  flush_posted_ = false;
  auto dirty = std::move(dirty_);
  dirty_.clear();
  std::vector<ConnectionCore*> done;
  for (auto& weak : dirty) {
    auto conn = weak.lock();
    if (!conn || std::find(done.begin(), done.end(), conn.get()) != done.end()) continue;
    done.push_back(conn.get());
    conn->flush();
  }
}

// ---- bookkeeping ----

void EndpointCore::connect(const EndpointAddr& addr, const std::string& alpn,
                           Completion<Result<Connection>> done) {
  if (closed_) return done.complete(Error{ErrorKind::closed, "endpoint closed"});
  if (alpn.empty() || alpn.size() > 255) {
    return done.complete(Error{ErrorKind::protocol_refused, "ALPN must be 1 to 255 bytes"});
  }
  std::vector<TransportAddr> targets;
  for (const auto& a : addr.addrs) {
    auto dest = socket_destination(a);
    if (dest && std::find(targets.begin(), targets.end(), *dest) == targets.end()) {
      targets.push_back(*dest);
    }
  }
  if (targets.empty()) {
    return done.complete(
        Error{ErrorKind::invalid_address, "no transport address is reachable from this socket"});
  }
  auto group = std::make_shared<DialGroup>();
  group->done = std::move(done);
  group->pending = targets.size();
  std::vector<std::shared_ptr<ConnectionCore>> started;
  for (const auto& target : targets) {
    auto conn = ConnectionCore::make_client(*this, target, addr.id, alpn, group);
    if (!conn) {
      group->failed(conn.error());
      continue;
    }
    live_.push_back(*conn);
    group->attempts.push_back(*conn);
    started.push_back(*conn);
  }
  for (auto& c : started) c->flush();
}

void EndpointCore::set_acceptor(std::shared_ptr<const Acceptor> acceptor) {
  if (!closed_) acceptor_ = std::move(acceptor);
}

void EndpointCore::clear_acceptor(const Acceptor* acceptor) {
  if (acceptor_.get() == acceptor) acceptor_.reset();
}

void EndpointCore::add_cid(const std::string& cid, const std::shared_ptr<ConnectionCore>& conn) {
  by_cid_[cid] = conn;
}

void EndpointCore::remove_cid(const std::string& cid) {
  by_cid_.erase(cid);
}

void EndpointCore::forget(const ConnectionCore& conn) {
  for (const auto& cid : conn.cids()) {
    auto it = by_cid_.find(cid);
    if (it != by_cid_.end() && it->second.get() == &conn) by_cid_.erase(it);
  }
  std::erase_if(live_, [&](const auto& c) { return c.get() == &conn; });
}

void EndpointCore::close_all() {
  if (closed_) return;
  auto acceptor = std::move(acceptor_);
  auto conns = live_;
  for (auto& c : conns) {
    c->close_app(0, "endpoint closed", Error{ErrorKind::closed, "endpoint closed"});
  }
  closed_ = true;
  blocked_.reset();
  waiting_writable_.clear();
  dirty_.clear();
  if (socket_) {
    asio::error_code ignored;
    socket_->close(ignored);
  }
}

void EndpointCore::release_io() {
  auto self = shared_from_this();
  released_.store(true);
  closed_ = true;
  auto conns = std::move(live_);
  auto cids = std::move(by_cid_);
  auto acceptor = std::move(acceptor_);
  dirty_.clear();
  waiting_writable_.clear();
  blocked_.reset();
  for (auto& c : conns) c->release_io();
  for (auto& [cid, c] : cids) c->release_io();
  socket_.reset();
  strand_.reset();
}

}  // namespace p2p::detail
