#pragma once

#include <chrono>
#include <cstdint>

namespace p2p::detail {

// ngtcp2 timestamps: nanoseconds of the monotonic clock, which steady_clock is on Linux.
inline std::uint64_t now_ns() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

inline std::chrono::steady_clock::time_point from_ns(std::uint64_t ns) {
  return std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::nanoseconds(ns)));
}

}  // namespace p2p::detail
