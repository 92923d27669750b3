#pragma once
// The framing of the media protocol on one unidirectional stream: each frame is its 32-bit
// little-endian length followed by its bytes. The reader is a small state machine fed with
// exactly the bytes it asks for, so the same logic serves any transport.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "media/media_frame.hpp"

namespace chat::media {

inline constexpr std::string_view kMediaProtocol = "vesk-chat-media/0";
inline constexpr std::size_t kLengthPrefixSize = 4;

std::array<std::uint8_t, kLengthPrefixSize> encode_length_prefix(std::uint32_t length);

// "media frame too large: N"
std::string frame_too_large_error(std::uint32_t length);

class MediaStreamReader {
 public:
  enum class Step {
    NeedMore,  // a length was read (or was 0); feed wanted() bytes next
    Frame,     // a frame decoded: take it with take_frame()
    Dropped,   // a body that is no valid frame was skipped
    TooLarge,  // a length beyond any valid frame: the body cannot be skipped, stop reading
  };

  // How many bytes the next feed() must carry.
  std::size_t wanted() const { return wanted_; }
  // `bytes` must hold exactly wanted() bytes.
  Step feed(std::span<const std::uint8_t> bytes);
  MediaFrame take_frame() { return std::move(*frame_); }
  // The length that made feed() answer TooLarge.
  std::uint32_t rejected_length() const { return rejected_; }

 private:
  std::size_t wanted_ = kLengthPrefixSize;
  bool in_body_ = false;
  std::uint32_t rejected_ = 0;
  std::optional<MediaFrame> frame_;
};

}  // namespace chat::media
