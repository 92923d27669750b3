// Connections between two loopback endpoints: streams, authentication, ALPN, loss and shutdown.

#include "test_support.hpp"

#include <p2p/queue.hpp>

#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>

#include <atomic>
#include <mutex>
#include <thread>

namespace p2p::testing {
namespace {

constexpr const char* test_alpn = "p2p-test/1";

// Frame i: a deterministic body whose size cycles through 0 .. 1,999 bytes.
Bytes frame_body(std::uint32_t i) {
  Bytes b(i * 7 % 2000);
  for (std::size_t k = 0; k < b.size(); ++k) b[k] = static_cast<std::uint8_t>(i * 31 + k);
  return b;
}

// Reads length-prefixed frames from the first stream of each connection until the stream ends.
class FrameCollector : public ProtocolHandler {
 public:
  Task<Result<void>> accept(Connection connection) override {
    {
      std::lock_guard lock(mutex);
      remote_ids.push_back(connection.remote_id());
      alpns.push_back(connection.alpn());
    }
    auto stream = co_await connection.accept_uni();
    if (!stream) co_return stream.error();
    for (;;) {
      auto prefix = co_await stream->read_exact(4);
      if (!prefix) {
        end_error = prefix.error();
        break;
      }
      Bytes body;
      if (std::uint32_t n = read_prefix(*prefix); n > 0) {
        auto r = co_await stream->read_exact(n);
        if (!r) {
          end_error = r.error();
          break;
        }
        body = std::move(*r);
      }
      std::lock_guard lock(mutex);
      frames.push_back(std::move(body));
    }
    done.store(true);
    co_return Result<void>();
  }

  std::mutex mutex;
  std::vector<Bytes> frames;
  std::vector<EndpointId> remote_ids;
  std::vector<std::string> alpns;
  std::optional<Error> end_error;
  std::atomic<bool> done{false};
};

// A listening endpoint with a router, plus a dialling endpoint, on their own runtimes so that
// either side can be killed alone.
struct Peers {
  explicit Peers(std::chrono::milliseconds idle = 3000ms)
      : listen_rt(start_runtime()),
        dial_rt(start_runtime()),
        collector(std::make_shared<FrameCollector>()) {
    listener.emplace(bind_endpoint(*listen_rt, loopback_config(idle)));
    // Dial through the ticket text, as peers exchange it.
    auto parsed = EndpointAddr::from_json(listener->addr().to_json());
    EXPECT_TRUE(parsed.ok());
    listen_addr = *parsed;
    auto r = Router::builder(*listener).accept(test_alpn, collector).spawn();
    EXPECT_TRUE(r.ok());
    router.emplace(std::move(r.value()));
    dialer.emplace(bind_endpoint(*dial_rt, loopback_config(idle)));
  }

  std::unique_ptr<Runtime> listen_rt;
  std::unique_ptr<Runtime> dial_rt;
  std::shared_ptr<FrameCollector> collector;
  std::optional<Endpoint> listener;
  EndpointAddr listen_addr;
  std::optional<Router> router;
  std::optional<Endpoint> dialer;
};

bool wait_until(const std::function<bool()>& cond, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (cond()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return cond();
}

TEST(Connection, ExchangesTenThousandLengthPrefixedFramesInOrder) {
  Peers peers;
  constexpr std::uint32_t count = 10'000;
  auto sender = [](Endpoint ep, EndpointAddr addr) -> Task<Result<void>> {
    auto conn = co_await ep.connect(addr, test_alpn);
    if (!conn) co_return conn.error();
    auto stream = co_await conn->open_uni();
    if (!stream) co_return stream.error();
    for (std::uint32_t i = 0; i < count; ++i) {
      Bytes body = frame_body(i);
      auto r = co_await stream->write_all(length_prefix(static_cast<std::uint32_t>(body.size())));
      if (r && !body.empty()) r = co_await stream->write_all(body);
      if (!r) co_return r.error();
    }
    co_return stream->finish();
  };
  auto sent = run_for(*peers.dial_rt, sender(*peers.dialer, peers.listen_addr));
  ASSERT_TRUE(sent.has_value()) << "sender did not finish in time";
  ASSERT_TRUE(sent->ok()) << sent->error().display();

  ASSERT_TRUE(wait_until([&] { return peers.collector->done.load(); }, 5000ms));
  std::lock_guard lock(peers.collector->mutex);
  ASSERT_EQ(peers.collector->frames.size(), count);
  for (std::uint32_t i = 0; i < count; ++i) {
    ASSERT_EQ(peers.collector->frames[i], frame_body(i)) << "frame " << i;
  }
  // The stream ended by finish(), not by a failure.
  ASSERT_TRUE(peers.collector->end_error.has_value());
  EXPECT_EQ(peers.collector->end_error->kind, ErrorKind::stream_finished);
  // The acceptor learned who dialled, from the verified key.
  ASSERT_EQ(peers.collector->remote_ids.size(), 1u);
  EXPECT_EQ(peers.collector->remote_ids[0], peers.dialer->id());
  EXPECT_EQ(peers.collector->alpns[0], test_alpn);
}

TEST(Connection, DialFailsWhenTheKeyIsNotTheDialledId) {
  Peers peers;
  // Same socket address, another endpoint's id: an impostor from the dialler's point of view.
  auto other = bind_endpoint(*peers.dial_rt, loopback_config());
  EndpointAddr wrong = peers.listen_addr;
  wrong.id = other.id();

  auto dial = [](Endpoint ep, EndpointAddr addr) -> Task<Result<Connection>> {
    co_return co_await ep.connect(addr, test_alpn);
  };
  auto r = run_for(*peers.dial_rt, dial(*peers.dialer, wrong));
  ASSERT_TRUE(r.has_value());
  ASSERT_FALSE(r->ok());
  EXPECT_EQ(r->error().kind, ErrorKind::authentication) << r->error().display();
  EXPECT_NE(r->error().display().find(peers.listen_addr.id.to_hex()), std::string::npos)
      << r->error().display();

  // The right id on the same socket still works afterwards.
  auto ok = run_for(*peers.dial_rt, dial(*peers.dialer, peers.listen_addr));
  ASSERT_TRUE(ok.has_value());
  ASSERT_TRUE(ok->ok()) << ok->error().display();
  EXPECT_EQ((*ok)->remote_id(), peers.listen_addr.id);
  // The acceptor hands the connection over once its side of the handshake is done, which may be
  // a moment after the dialler's.
  EXPECT_TRUE(wait_until(
      [&] {
        std::lock_guard lock(peers.collector->mutex);
        return !peers.collector->remote_ids.empty();
      },
      2000ms));
  std::this_thread::sleep_for(50ms);
  std::lock_guard lock(peers.collector->mutex);
  EXPECT_EQ(peers.collector->remote_ids.size(), 1u) << "only the honest dial reaches the handler";
}

TEST(Connection, DialUnderAnUnregisteredAlpnIsRefused) {
  Peers peers;
  auto dial = [](Endpoint ep, EndpointAddr addr, std::string alpn) -> Task<Result<Connection>> {
    co_return co_await ep.connect(addr, alpn);
  };
  for (std::string alpn : {"p2p-test/2", "p2p-test/1x", "p2p-test/", "h3"}) {
    auto r = run_for(*peers.dial_rt, dial(*peers.dialer, peers.listen_addr, alpn));
    ASSERT_TRUE(r.has_value()) << alpn;
    ASSERT_FALSE(r->ok()) << alpn;
    EXPECT_EQ(r->error().kind, ErrorKind::protocol_refused) << alpn << ": " << r->error().display();
  }
  std::lock_guard lock(peers.collector->mutex);
  EXPECT_TRUE(peers.collector->remote_ids.empty());
}

TEST(Connection, DialWithoutUsableAddressOrToASilentPortFails) {
  auto rt = start_runtime();
  auto ep = bind_endpoint(*rt, loopback_config());
  auto config = loopback_config();
  config.handshake_timeout = 300ms;
  auto quick = bind_endpoint(*rt, config);
  auto dial = [](Endpoint ep, EndpointAddr addr) -> Task<Result<Connection>> {
    co_return co_await ep.connect(addr, test_alpn);
  };

  // An IPv6 address is not reachable from an IPv4 socket; no address at all neither.
  EndpointAddr v6_only{ep.id(), {*parse_transport_addr("[::1]:4433")}};
  EndpointAddr none{ep.id(), {}};
  for (const auto& addr : {v6_only, none}) {
    auto r = run_for(*rt, dial(quick, addr));
    ASSERT_TRUE(r.has_value());
    ASSERT_FALSE(r->ok());
    EXPECT_EQ(r->error().kind, ErrorKind::invalid_address) << r->error().display();
  }

  // A bound endpoint without a router never answers: the handshake times out.
  auto start = std::chrono::steady_clock::now();
  auto r = run_for(*rt, dial(quick, ep.addr()));
  ASSERT_TRUE(r.has_value());
  ASSERT_FALSE(r->ok());
  EXPECT_EQ(r->error().kind, ErrorKind::timed_out) << r->error().display();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3000ms);
}

// The side that keeps working must see an error once the other side vanishes without a word.
TEST(Connection, KilledPeerEndsTheOtherSideWithinTheIdleTimeout) {
  constexpr auto idle = 800ms;
  enum class Killed { reader, writer };
  for (Killed killed : {Killed::reader, Killed::writer}) {
    SCOPED_TRACE(killed == Killed::reader ? "reader killed" : "writer killed");
    Peers peers(idle);
    std::atomic<std::uint64_t> written{0};
    auto writer = [&written](Endpoint ep, EndpointAddr addr) -> Task<Result<void>> {
      auto conn = co_await ep.connect(addr, test_alpn);
      if (!conn) co_return conn.error();
      auto stream = co_await conn->open_uni();
      if (!stream) co_return stream.error();
      Bytes body = frame_body(1000);
      for (;;) {
        auto r = co_await stream->write_all(length_prefix(static_cast<std::uint32_t>(body.size())));
        if (r) r = co_await stream->write_all(body);
        if (!r) co_return r.error();
        written += body.size() + 4;
        if (written > (64u << 20)) {
          // Pace the writer once the pipe is proven, so the test does not burn a core.
          asio::steady_timer t(co_await asio::this_coro::executor, 1ms);
          co_await t.async_wait(asio::use_awaitable);
        }
      }
    };
    auto future = asio::co_spawn(peers.dial_rt->executor(),
                                 writer(*peers.dialer, peers.listen_addr), asio::use_future);
    ASSERT_TRUE(wait_until(
        [&] {
          std::lock_guard lock(peers.collector->mutex);
          return peers.collector->frames.size() > 100;
        },
        3000ms));

    auto start = std::chrono::steady_clock::now();
    // Dropping the runtime first is a kill: dropping the endpoint first would say goodbye.
    if (killed == Killed::reader) {
      peers.listen_rt.reset();
      ASSERT_EQ(future.wait_for(5000ms), std::future_status::ready);
      auto r = future.get();
      ASSERT_FALSE(r.ok());
      EXPECT_EQ(r.error().kind, ErrorKind::timed_out) << r.error().display();
    } else {
      peers.dial_rt.reset();
      ASSERT_TRUE(wait_until([&] { return peers.collector->done.load(); }, 5000ms));
      std::lock_guard lock(peers.collector->mutex);
      ASSERT_TRUE(peers.collector->end_error.has_value());
      EXPECT_EQ(peers.collector->end_error->kind, ErrorKind::timed_out)
          << peers.collector->end_error->display();
    }
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, idle / 2);
    EXPECT_LT(took, idle * 4);
  }
}

TEST(Connection, CloseByThePeerFailsTheWriterWithItsCode) {
  auto rt = start_runtime();
  struct Closer : ProtocolHandler {
    Task<Result<void>> accept(Connection c) override {
      auto s = co_await c.accept_uni();
      if (s) (void)co_await s->read_exact(1);
      c.close(7, "enough");
      co_return Result<void>();
    }
  };
  auto listen = bind_endpoint(*rt, loopback_config());
  auto router = Router::builder(listen).accept(test_alpn, std::make_shared<Closer>()).spawn();
  ASSERT_TRUE(router.ok());
  auto dialer = bind_endpoint(*rt, loopback_config());
  auto writer = [](Endpoint ep, EndpointAddr addr) -> Task<Result<void>> {
    auto conn = co_await ep.connect(addr, test_alpn);
    if (!conn) co_return conn.error();
    auto stream = co_await conn->open_uni();
    if (!stream) co_return stream.error();
    Bytes chunk(1200, 0x5a);
    for (;;) {
      auto r = co_await stream->write_all(chunk);
      if (!r) co_return r.error();
    }
  };
  auto r = run_for(*rt, writer(dialer, listen.addr()));
  ASSERT_TRUE(r.has_value());
  ASSERT_FALSE(r->ok());
  EXPECT_EQ(r->error().kind, ErrorKind::connection_lost);
  EXPECT_EQ(r->error().display(), "connection lost: closed by peer with code 7 (enough)");
}

// A reader that does not read stops its writer (flow control), and nothing is lost once it reads.
TEST(Connection, SlowReaderHoldsTheWriterBackWithoutLoss) {
  auto rt = start_runtime();
  auto gate = std::make_shared<std::atomic<bool>>(false);
  struct GatedReader : ProtocolHandler {
    explicit GatedReader(std::shared_ptr<std::atomic<bool>> g) : gate(std::move(g)) {}
    Task<Result<void>> accept(Connection c) override {
      auto s = co_await c.accept_uni();
      if (!s) co_return s.error();
      auto ex = co_await asio::this_coro::executor;
      while (!gate->load()) {
        asio::steady_timer t(ex, 5ms);
        co_await t.async_wait(asio::use_awaitable);
      }
      for (;;) {
        auto r = co_await s->read_exact(64 * 1024);
        if (!r) break;
        for (std::size_t k = 0; k < r->size(); ++k) {
          if ((*r)[k] != static_cast<std::uint8_t>((total + k) % 251)) corrupt = true;
        }
        total += r->size();
      }
      finished.store(true);
      co_return Result<void>();
    }
    std::shared_ptr<std::atomic<bool>> gate;
    std::uint64_t total = 0;
    bool corrupt = false;
    std::atomic<bool> finished{false};
  };
  auto reader = std::make_shared<GatedReader>(gate);
  auto listen = bind_endpoint(*rt, loopback_config());
  auto router = Router::builder(listen).accept(test_alpn, reader).spawn();
  ASSERT_TRUE(router.ok());
  auto dialer = bind_endpoint(*rt, loopback_config());

  constexpr std::uint64_t total = 32u << 20;  // well beyond every window and buffer
  std::atomic<std::uint64_t> written{0};
  auto writer = [&written](Endpoint ep, EndpointAddr addr) -> Task<Result<void>> {
    auto conn = co_await ep.connect(addr, test_alpn);
    if (!conn) co_return conn.error();
    auto stream = co_await conn->open_uni();
    if (!stream) co_return stream.error();
    Bytes chunk(64 * 1024);
    while (written < total) {
      for (std::size_t k = 0; k < chunk.size(); ++k) {
        chunk[k] = static_cast<std::uint8_t>((written + k) % 251);
      }
      auto r = co_await stream->write_all(chunk);
      if (!r) co_return r.error();
      written += chunk.size();
    }
    co_return stream->finish();
  };
  auto future = asio::co_spawn(rt->executor(), writer(dialer, listen.addr()), asio::use_future);
  std::this_thread::sleep_for(500ms);
  std::uint64_t stalled_at = written.load();
  EXPECT_LT(stalled_at, 8u << 20) << "the writer ran ahead of a reader that does not read";
  EXPECT_GT(stalled_at, 0u);

  gate->store(true);
  ASSERT_EQ(future.wait_for(8000ms), std::future_status::ready);
  auto r = future.get();
  ASSERT_TRUE(r.ok()) << r.error().display();
  ASSERT_TRUE(wait_until([&] { return reader->finished.load(); }, 5000ms));
  EXPECT_EQ(reader->total, total);
  EXPECT_FALSE(reader->corrupt);
}

// A reader that drops its stream tells the writer to stop; a finished stream takes no more data.
TEST(Connection, StreamsRefuseWritesOnceStoppedOrFinished) {
  auto rt = start_runtime();
  struct DropAfterOneByte : ProtocolHandler {
    Task<Result<void>> accept(Connection c) override {
      {
        auto s = co_await c.accept_uni();
        if (!s) co_return s.error();
        (void)co_await s->read_exact(1);
      }  // the stream is dropped here, the connection is kept
      asio::steady_timer t(co_await asio::this_coro::executor, 3s);
      co_await t.async_wait(asio::use_awaitable);
      co_return Result<void>();
    }
  };
  auto listen = bind_endpoint(*rt, loopback_config());
  auto router =
      Router::builder(listen).accept(test_alpn, std::make_shared<DropAfterOneByte>()).spawn();
  ASSERT_TRUE(router.ok());
  auto dialer = bind_endpoint(*rt, loopback_config());
  auto session = [](Endpoint ep, EndpointAddr addr) -> Task<Result<std::vector<ErrorKind>>> {
    auto conn = co_await ep.connect(addr, test_alpn);
    if (!conn) co_return conn.error();
    std::vector<ErrorKind> kinds;
    auto stopped = co_await conn->open_uni();
    if (!stopped) co_return stopped.error();
    Bytes chunk(1200, 1);
    for (int i = 0; i < 100'000; ++i) {
      auto r = co_await stopped->write_all(chunk);
      if (!r) {
        kinds.push_back(r.error().kind);
        break;
      }
    }
    auto finished = co_await conn->open_uni();
    if (!finished) co_return finished.error();
    if (auto r = co_await finished->write_all(chunk); !r) co_return r.error();
    if (auto r = finished->finish(); !r) co_return r.error();
    auto again = finished->finish();
    kinds.push_back(again ? ErrorKind::io : again.error().kind);
    auto late = co_await finished->write_all(chunk);
    kinds.push_back(late ? ErrorKind::io : late.error().kind);
    co_return kinds;
  };
  auto r = run_for(*rt, session(dialer, listen.addr()));
  ASSERT_TRUE(r.has_value());
  ASSERT_TRUE(r->ok()) << r->error().display();
  EXPECT_EQ(
      **r, (std::vector<ErrorKind>{ErrorKind::stream_reset, ErrorKind::closed, ErrorKind::closed}));
}

// A read larger than the receive window could never complete; it is refused and the stream
// stays usable.
TEST(Connection, ReadBeyondTheStreamWindowIsRefusedAtOnce) {
  auto rt = start_runtime();
  struct Reader : ProtocolHandler {
    Task<Result<void>> accept(Connection c) override {
      auto s = co_await c.accept_uni();
      if (!s) co_return s.error();
      auto big = co_await s->read_exact(RecvStream::max_read_size + 1);
      auto small = co_await s->read_exact(3);
      std::lock_guard lock(mutex);
      big_kind = big ? std::nullopt : std::optional(big.error().kind);
      if (small) small_bytes = *small;
      co_return Result<void>();
    }
    std::mutex mutex;
    std::optional<ErrorKind> big_kind;
    Bytes small_bytes;
  };
  auto reader = std::make_shared<Reader>();
  auto listen = bind_endpoint(*rt, loopback_config());
  auto router = Router::builder(listen).accept(test_alpn, reader).spawn();
  ASSERT_TRUE(router.ok());
  auto dialer = bind_endpoint(*rt, loopback_config());
  auto writer = [](Endpoint ep, EndpointAddr addr) -> Task<Result<void>> {
    auto conn = co_await ep.connect(addr, test_alpn);
    if (!conn) co_return conn.error();
    auto s = co_await conn->open_uni();
    if (!s) co_return s.error();
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    co_return co_await s->write_all(abc);
  };
  auto r = run_for(*rt, writer(dialer, listen.addr()));
  ASSERT_TRUE(r.has_value() && r->ok());
  ASSERT_TRUE(wait_until(
      [&] {
        std::lock_guard lock(reader->mutex);
        return !reader->small_bytes.empty();
      },
      3000ms));
  std::lock_guard lock(reader->mutex);
  EXPECT_EQ(reader->big_kind, ErrorKind::io);
  EXPECT_EQ(reader->small_bytes, (Bytes{'a', 'b', 'c'}));
}

TEST(Runtime, DroppingTheRuntimeEndsParkedTasksPromptly) {
  auto rt = start_runtime();
  struct Guard {
    std::atomic<int>* ended;
    ~Guard() { ++*ended; }
  };
  std::atomic<int> ended{0};
  struct Idle : ProtocolHandler {
    explicit Idle(std::atomic<int>* e) : ended(e) {}
    Task<Result<void>> accept(Connection c) override {
      Guard g{ended};
      auto s = co_await c.accept_uni();  // the dialler never opens one
      co_return Result<void>();
    }
    std::atomic<int>* ended;
  };
  auto listen = bind_endpoint(*rt, loopback_config());
  auto router = Router::builder(listen).accept(test_alpn, std::make_shared<Idle>(&ended)).spawn();
  ASSERT_TRUE(router.ok());
  auto dialer = bind_endpoint(*rt, loopback_config());
  auto [tx, rx] = bounded_queue<int>(4);
  std::atomic<bool> connected{false};
  auto parked = [&](Endpoint ep, EndpointAddr addr, Receiver<int> queue) -> Task<void> {
    Guard g{&ended};
    auto conn = co_await ep.connect(addr, test_alpn);
    connected.store(conn.ok());
    (void)co_await queue.recv();  // nobody sends
  };
  rt->spawn(parked(dialer, listen.addr(), std::move(rx)));
  ASSERT_TRUE(wait_until([&] { return connected.load(); }, 3000ms));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(ended.load(), 0);

  auto start = std::chrono::steady_clock::now();
  rt.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
  EXPECT_EQ(ended.load(), 2);
  // Handles that outlive their runtime answer "closed" instead of touching freed state.
  EXPECT_EQ(tx.try_send(1), SendStatus::closed);
  EXPECT_FALSE(listen.addr().addrs.empty());
}

}  // namespace
}  // namespace p2p::testing
