// Loopback figures of libs/p2p: connection set-up time, throughput of 1,200-byte frames over one
// stream, and one-way latency of small frames while the stream carries a steady load. Frames
// are written the way the media sender writes them: a 32-bit little-endian length, then the body.

#include <p2p/endpoint.hpp>
#include <p2p/queue.hpp>
#include <p2p/router.hpp>
#include <p2p/runtime.hpp>

#include <benchmark/benchmark.h>
#include <asio/co_spawn.hpp>
#include <asio/steady_timer.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/use_future.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using p2p::Bytes;
using p2p::Connection;
using p2p::Endpoint;
using p2p::EndpointAddr;
using p2p::Result;
using p2p::Task;

constexpr const char* bench_alpn = "p2p-bench/0";

p2p::EndpointConfig loopback() {
  p2p::EndpointConfig c;
  c.bind_addr = p2p::TransportAddr(asio::ip::make_address("127.0.0.1"), 0);
  return c;
}

Bytes prefix(std::uint32_t n) {
  return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

std::uint32_t read_prefix(const Bytes& b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::int64_t now_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1));
  return v[i];
}

// Receives frames like the media receiver; counts bytes and, for frames of kind 1, records the
// one-way latency from the sender's timestamp in the body.
class FrameSink : public p2p::ProtocolHandler {
 public:
  Task<Result<void>> accept(Connection c) override {
    auto s = co_await c.accept_uni();
    if (!s) co_return s.error();
    for (;;) {
      auto len = co_await s->read_exact(4);
      if (!len) break;
      std::uint32_t n = read_prefix(*len);
      if (n == 0) continue;
      auto body = co_await s->read_exact(n);
      if (!body) break;
      if ((*body)[0] == 1 && body->size() >= 9) {
        std::int64_t sent = 0;
        std::memcpy(&sent, body->data() + 1, sizeof sent);
        std::lock_guard lock(mutex);
        latencies_ms.push_back(static_cast<double>(now_ns() - sent) / 1e6);
      }
      received += n + 4;
    }
    co_return Result<void>();
  }

  std::atomic<std::uint64_t> received{0};
  std::mutex mutex;
  std::vector<double> latencies_ms;
};

struct Setup {
  Setup() {
    listen_rt = std::move(p2p::Runtime::start(2).value());
    dial_rt = std::move(p2p::Runtime::start(2).value());
    auto l = listen_rt->block_on(Endpoint::bind(loopback()));
    listener.emplace(std::move(l.value()));
    addr = listener->addr();
    sink = std::make_shared<FrameSink>();
    router.emplace(p2p::Router::builder(*listener).accept(bench_alpn, sink).spawn().value());
    auto d = dial_rt->block_on(Endpoint::bind(loopback()));
    dialer.emplace(std::move(d.value()));
  }
  ~Setup() {
    router.reset();
    dial_rt.reset();
    listen_rt.reset();
  }
  std::unique_ptr<p2p::Runtime> listen_rt, dial_rt;
  std::optional<Endpoint> listener, dialer;
  std::optional<p2p::Router> router;
  std::shared_ptr<FrameSink> sink;
  EndpointAddr addr;
};

void BM_ConnectionSetup(benchmark::State& state) {
  Setup setup;
  std::vector<double> ms;
  for (auto _ : state) {
    auto dial = [](Endpoint ep, EndpointAddr a) -> Task<Result<Connection>> {
      co_return co_await ep.connect(a, bench_alpn);
    };
    auto start = Clock::now();
    auto conn = setup.dial_rt->block_on(dial(*setup.dialer, setup.addr));
    auto took = std::chrono::duration<double>(Clock::now() - start).count();
    if (!conn) {
      state.SkipWithError(conn.error().display().c_str());
      break;
    }
    state.SetIterationTime(took);
    ms.push_back(took * 1e3);
  }
  state.counters["median_ms"] = percentile(ms, 0.5);
  state.counters["p99_ms"] = percentile(ms, 0.99);
}
BENCHMARK(BM_ConnectionSetup)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

void BM_Throughput1200ByteFrames(benchmark::State& state) {
  Setup setup;
  constexpr std::uint32_t frames = 100'000;
  constexpr std::uint32_t frame_size = 1200;
  auto conn = setup.dial_rt->block_on([](Endpoint ep, EndpointAddr a) -> Task<Result<Connection>> {
    co_return co_await ep.connect(a, bench_alpn);
  }(*setup.dialer, setup.addr));
  if (!conn) return state.SkipWithError(conn.error().display().c_str());
  auto stream = setup.dial_rt->block_on(conn->open_uni());
  if (!stream) return state.SkipWithError(stream.error().display().c_str());
  std::uint64_t total = 0;
  for (auto _ : state) {
    std::uint64_t target = setup.sink->received.load() + std::uint64_t{frames} * (frame_size + 4);
    auto start = Clock::now();
    auto sent = setup.dial_rt->block_on([](p2p::SendStream& s) -> Task<Result<void>> {
      Bytes body(frame_size, 0x42);
      for (std::uint32_t i = 0; i < frames; ++i) {
        auto r = co_await s.write_all(prefix(frame_size));
        if (r) r = co_await s.write_all(body);
        if (!r) co_return r;
      }
      co_return Result<void>();
    }(*stream));
    if (!sent) return state.SkipWithError(sent.error().display().c_str());
    while (setup.sink->received.load() < target) std::this_thread::sleep_for(50us);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    total += std::uint64_t{frames} * frame_size;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(total));
  state.counters["frames_per_s"] =
      benchmark::Counter(static_cast<double>(total / frame_size), benchmark::Counter::kIsRate);
  state.counters["Gbit_per_s"] =
      benchmark::Counter(static_cast<double>(total) * 8 / 1e9, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Throughput1200ByteFrames)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// Every millisecond: `load_frames` frames of 1,200 bytes, then one 64-byte timestamped frame.
void BM_LatencyUnderLoad(benchmark::State& state) {
  const auto load_frames = static_cast<int>(state.range(0));
  Setup setup;
  auto conn = setup.dial_rt->block_on([](Endpoint ep, EndpointAddr a) -> Task<Result<Connection>> {
    co_return co_await ep.connect(a, bench_alpn);
  }(*setup.dialer, setup.addr));
  if (!conn) return state.SkipWithError(conn.error().display().c_str());
  auto stream = setup.dial_rt->block_on(conn->open_uni());
  if (!stream) return state.SkipWithError(stream.error().display().c_str());
  for (auto _ : state) {
    auto sent = setup.dial_rt->block_on([](p2p::SendStream& s, int load) -> Task<Result<void>> {
      asio::steady_timer tick(co_await asio::this_coro::executor);
      auto next = Clock::now();
      Bytes load_body(1200, 0);
      Bytes probe(64, 0);
      probe[0] = 1;
      for (int ms = 0; ms < 2000; ++ms) {
        for (int i = 0; i < load; ++i) {
          auto r = co_await s.write_all(prefix(1200));
          if (r) r = co_await s.write_all(load_body);
          if (!r) co_return r;
        }
        std::int64_t t = now_ns();
        std::memcpy(probe.data() + 1, &t, sizeof t);
        auto r = co_await s.write_all(prefix(64));
        if (r) r = co_await s.write_all(probe);
        if (!r) co_return r;
        next += 1ms;
        tick.expires_at(next);
        co_await tick.async_wait(asio::use_awaitable);
      }
      co_return Result<void>();
    }(*stream, load_frames));
    if (!sent) return state.SkipWithError(sent.error().display().c_str());
  }
  std::this_thread::sleep_for(100ms);
  std::lock_guard lock(setup.sink->mutex);
  state.counters["load_Mbit_per_s"] = load_frames * 1200.0 * 8 * 1000 / 1e6;
  state.counters["probes"] = static_cast<double>(setup.sink->latencies_ms.size());
  state.counters["p50_ms"] = percentile(setup.sink->latencies_ms, 0.5);
  state.counters["p99_ms"] = percentile(setup.sink->latencies_ms, 0.99);
  state.counters["max_ms"] = percentile(setup.sink->latencies_ms, 1.0);
}
BENCHMARK(BM_LatencyUnderLoad)
    ->Arg(10)
    ->Arg(25)
    ->Arg(50)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
