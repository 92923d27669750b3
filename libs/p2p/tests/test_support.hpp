#pragma once
// Helpers shared by the p2p tests: loopback endpoints and time-bounded task runs.

#include <p2p/endpoint.hpp>
#include <p2p/router.hpp>
#include <p2p/runtime.hpp>

#include <gtest/gtest.h>
#include <asio/co_spawn.hpp>
#include <asio/use_future.hpp>

#include <chrono>
#include <future>
#include <memory>
#include <optional>

namespace p2p::testing {

using namespace std::chrono_literals;

inline EndpointConfig loopback_config(std::chrono::milliseconds idle = 3000ms) {
  EndpointConfig config;
  config.bind_addr = TransportAddr(asio::ip::make_address("127.0.0.1"), 0);
  config.idle_timeout = idle;
  config.handshake_timeout = 3000ms;
  return config;
}

inline std::unique_ptr<Runtime> start_runtime() {
  auto rt = Runtime::start(2);
  EXPECT_TRUE(rt.ok());
  return std::move(rt.value());
}

// Runs `task` on `rt` and waits at most `limit`; nullopt when it did not finish in time (the
// task is then destroyed with its runtime).
template <class T>
std::optional<T> run_for(Runtime& rt, Task<T> task, std::chrono::milliseconds limit = 8000ms) {
  auto future = asio::co_spawn(rt.executor(), std::move(task), asio::use_future);
  if (future.wait_for(limit) != std::future_status::ready) return std::nullopt;
  return future.get();
}

inline Endpoint bind_endpoint(Runtime& rt, EndpointConfig config) {
  auto ep = rt.block_on(Endpoint::bind(config));
  if (!ep) ADD_FAILURE() << ep.error().display();
  return std::move(ep.value());
}

// 32-bit little-endian length prefix, as the media protocol frames its messages.
inline Bytes length_prefix(std::uint32_t n) {
  return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

inline std::uint32_t read_prefix(const Bytes& b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

}  // namespace p2p::testing
