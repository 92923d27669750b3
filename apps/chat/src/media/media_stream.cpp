#include "media/media_stream.hpp"

#include <array>
#include <vector>

namespace chat::media {

std::string frame_too_large_error(std::uint32_t length) {
  return "media frame too large: " + std::to_string(length);
}

StreamEnd receive_media_frames(const ReadExact& read_exact, const DeliverFrame& deliver) {
  std::vector<std::uint8_t> body;
  for (;;) {
    std::array<std::uint8_t, 4> prefix{};
    if (!read_exact(prefix)) return StreamEnd::ReadFailed;
    const std::uint32_t length =
        static_cast<std::uint32_t>(prefix[0]) | static_cast<std::uint32_t>(prefix[1]) << 8 |
        static_cast<std::uint32_t>(prefix[2]) << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
    if (length == 0) continue;
    if (length > kMaxEncodedMediaFrame) return StreamEnd::FrameTooLarge;
    body.resize(length);
    if (!read_exact(body)) return StreamEnd::ReadFailed;
    auto frame = decode_media_frame(body);
    if (!frame) continue;
    if (deliver(std::move(*frame)) == Offer::Closed) return StreamEnd::QueueClosed;
  }
}

bool write_media_frame(const WriteAll& write_all, std::span<const std::uint8_t> encoded) {
  const auto length = static_cast<std::uint32_t>(encoded.size());
  const std::array<std::uint8_t, 4> prefix{
      static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
      static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
  if (!write_all(prefix)) return false;
  return encoded.empty() || write_all(encoded);
}

}  // namespace chat::media
