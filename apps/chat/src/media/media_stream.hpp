#pragma once
// The media protocol on one unidirectional stream: each frame is its 32-bit little-endian
// length followed by its bytes. Written against plain read/write callables so the framing is
// independent of the transport.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "media/media_frame.hpp"

namespace chat::media {

inline constexpr std::string_view kMediaProtocol = "vesk-chat-media/0";

// Fills the whole buffer or fails (stream finished, connection lost).
using ReadExact = std::function<bool(std::span<std::uint8_t>)>;
// Writes all bytes or fails.
using WriteAll = std::function<bool(std::span<const std::uint8_t>)>;

enum class Offer { Accepted, Full, Closed };
using DeliverFrame = std::function<Offer(MediaFrame)>;

enum class StreamEnd {
  ReadFailed,     // the stream finished or the connection went away
  FrameTooLarge,  // a length prefix beyond any valid frame: the body cannot be skipped
  QueueClosed,    // nobody takes frames any more
};

// "media frame too large: N"
std::string frame_too_large_error(std::uint32_t length);

// Receives frames until the stream ends. Frames that do not decode are dropped, and so are
// frames the queue has no room for.
StreamEnd receive_media_frames(const ReadExact& read_exact, const DeliverFrame& deliver);

// One frame with its length prefix; the body write is skipped for an empty frame.
bool write_media_frame(const WriteAll& write_all, std::span<const std::uint8_t> encoded);

}  // namespace chat::media
