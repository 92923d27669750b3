#pragma once
// One unit of call media and its byte encoding on the wire.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace chat::media {

enum class MediaKind : std::uint8_t {
  Microphone = 0,     // one Opus packet
  Camera = 1,         // one H.264 access unit
  ScreenSharing = 2,  // one chunk of the screen-share stream
};

// "Microphone", "Camera", "Screen sharing": shown in call status messages.
std::string_view media_kind_display_name(MediaKind kind);

// Media time since the start of the sender's stream (not wall-clock time).
struct MediaTimestamp {
  std::uint64_t seconds = 0;
  std::uint32_t nanos = 0;  // below 1,000,000,000

  friend bool operator==(const MediaTimestamp&, const MediaTimestamp&) = default;
};

struct MediaFrame {
  std::string sender;                 // user id, 1 to 256 bytes of UTF-8
  std::vector<std::uint8_t> payload;  // at most kMaxMediaPayload bytes
  MediaTimestamp timestamp;
  std::uint64_t sequence = 0;
  MediaKind kind = MediaKind::Microphone;

  friend bool operator==(const MediaFrame&, const MediaFrame&) = default;
};

inline constexpr std::size_t kMaxMediaSender = 256;
inline constexpr std::size_t kMaxMediaPayload = 2 * 1024 * 1024;
inline constexpr std::size_t kMediaFrameOverhead = 23;  // kind, sequence, ms, n, p
inline constexpr std::size_t kMaxEncodedMediaFrame =
    kMediaFrameOverhead + kMaxMediaSender + kMaxMediaPayload;

// Sender of 1..256 bytes, payload within the limit, timestamp representable in whole
// milliseconds as 64 bits (and nanoseconds below one second).
bool validate_media_frame(const MediaFrame& frame);

// None when the frame does not validate.
std::optional<std::vector<std::uint8_t>> encode_media_frame(const MediaFrame& frame);

// None for any malformed input, trailing bytes included. Sub-millisecond precision is not
// carried on the wire.
std::optional<MediaFrame> decode_media_frame(std::span<const std::uint8_t> bytes);

bool is_valid_utf8(std::span<const std::uint8_t> bytes);

}  // namespace chat::media
