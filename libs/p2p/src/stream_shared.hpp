#pragma once
// The part of a stream that application threads touch directly, under a mutex. Writes that fit
// under the high-water mark and reads of bytes already received complete at once, without a trip
// through the endpoint's strand; the strand picks written data up in batches, which is what lets
// many small writes share packets.

#include <p2p/endpoint.hpp>
#include <p2p/result.hpp>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace p2p::detail {

// A write completes once no more than this much of its stream is unacknowledged.
constexpr std::uint64_t send_high_water = 1u << 20;
// Read credit goes back to the sender in steps of this size.
constexpr std::uint64_t credit_step = 256u << 10;

struct Block {
  std::uint64_t offset;
  Bytes data;
};

struct SendShared {
  std::mutex mutex;
  std::vector<Block> inbox;  // written, not yet taken by the strand
  std::uint64_t queued = 0;  // end of everything written
  std::uint64_t acked = 0;   // as last reported by the strand
  std::optional<Error> error;
  bool drain_posted = false;
  std::size_t slow_writes = 0;  // writes that went through the strand and have not completed
};

struct RecvShared {
  std::mutex mutex;
  std::deque<Bytes> chunks;
  std::size_t front_used = 0;  // bytes of chunks.front() already given out
  std::size_t buffered = 0;
  bool fin = false;
  std::optional<Error> error;
  std::uint64_t unreported = 0;  // consumed bytes not yet given back as credit
  bool credit_posted = false;
  std::size_t slow_reads = 0;  // reads parked on the strand
};

// Caller holds the lock.
inline Bytes take_bytes(RecvShared& s, std::size_t n) {
  Bytes out;
  out.reserve(n);
  while (out.size() < n) {
    Bytes& chunk = s.chunks.front();
    std::size_t take = std::min(n - out.size(), chunk.size() - s.front_used);
    auto first = chunk.begin() + static_cast<std::ptrdiff_t>(s.front_used);
    out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(take));
    s.front_used += take;
    if (s.front_used == chunk.size()) {
      s.chunks.pop_front();
      s.front_used = 0;
    }
  }
  s.buffered -= n;
  s.unreported += n;
  return out;
}

inline Error finished_early(std::size_t have, std::size_t want) {
  return Error{ErrorKind::stream_finished, "stream ended with " + std::to_string(have) + " of " +
                                               std::to_string(want) + " bytes"};
}

// Gives the write's result when it completes at once; nullopt means "go through the strand"
// (counted in slow_writes). `post_drain` tells the caller to wake the strand.
inline std::optional<Result<void>> try_write_fast(SendShared& s, std::span<const std::uint8_t> data,
                                                  bool& post_drain) {
  std::lock_guard lock(s.mutex);
  if (s.error) return Result<void>(*s.error);
  if (s.slow_writes == 0 && s.queued + data.size() <= s.acked + send_high_water) {
    if (!data.empty()) {
      s.inbox.push_back({s.queued, Bytes(data.begin(), data.end())});
      s.queued += data.size();
      post_drain = !s.drain_posted;
      s.drain_posted = true;
    }
    return Result<void>();
  }
  ++s.slow_writes;
  return std::nullopt;
}

// As try_write_fast, for reads; `post_credit` tells the caller to have credit sent.
inline std::optional<Result<Bytes>> try_read_fast(RecvShared& s, std::size_t n, bool& post_credit) {
  std::lock_guard lock(s.mutex);
  if (s.slow_reads == 0) {
    if (s.buffered >= n) {
      Bytes out = take_bytes(s, n);
      if (s.unreported >= credit_step && !s.credit_posted) {
        s.credit_posted = true;
        post_credit = true;
      }
      return Result<Bytes>(std::move(out));
    }
    if (s.fin) return Result<Bytes>(finished_early(s.buffered, n));
    if (s.error) return Result<Bytes>(*s.error);
  }
  ++s.slow_reads;
  return std::nullopt;
}

}  // namespace p2p::detail
