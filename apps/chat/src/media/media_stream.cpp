#include "media/media_stream.hpp"

namespace chat::media {

std::array<std::uint8_t, kLengthPrefixSize> encode_length_prefix(std::uint32_t length) {
  return {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
          static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
}

std::string frame_too_large_error(std::uint32_t length) {
  return "media frame too large: " + std::to_string(length);
}

MediaStreamReader::Step MediaStreamReader::feed(std::span<const std::uint8_t> bytes) {
  if (in_body_) {
    in_body_ = false;
    wanted_ = kLengthPrefixSize;
    frame_ = decode_media_frame(bytes);
    return frame_ ? Step::Frame : Step::Dropped;
  }
  const std::uint32_t length =
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  if (length == 0) return Step::NeedMore;
  if (length > kMaxEncodedMediaFrame) {
    rejected_ = length;
    return Step::TooLarge;
  }
  in_body_ = true;
  wanted_ = length;
  return Step::NeedMore;
}

}  // namespace chat::media
