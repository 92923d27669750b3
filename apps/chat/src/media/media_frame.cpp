#include "media/media_frame.hpp"

#include <limits>

namespace chat::media {
namespace {

constexpr std::uint64_t kNanosPerMilli = 1'000'000;
constexpr std::uint32_t kNanosPerSecond = 1'000'000'000;

std::optional<std::uint64_t> whole_millis(const MediaTimestamp& ts) {
  const std::uint64_t extra = ts.nanos / kNanosPerMilli;
  if (ts.seconds > (std::numeric_limits<std::uint64_t>::max() - extra) / 1000) return std::nullopt;
  return ts.seconds * 1000 + extra;
}

template <typename T>
void put_le(std::vector<std::uint8_t>& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
  }
}

template <typename T>
T get_le(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    value |= static_cast<std::uint64_t>(bytes[at + i]) << (8 * i);
  }
  return static_cast<T>(value);
}

}  // namespace

std::string_view media_kind_display_name(MediaKind kind) {
  switch (kind) {
    case MediaKind::Microphone:
      return "Microphone";
    case MediaKind::Camera:
      return "Camera";
    case MediaKind::ScreenSharing:
      return "Screen sharing";
  }
  return "Microphone";
}

bool validate_media_frame(const MediaFrame& frame) {
  return !frame.sender.empty() && frame.sender.size() <= kMaxMediaSender &&
         frame.payload.size() <= kMaxMediaPayload && frame.timestamp.nanos < kNanosPerSecond &&
         whole_millis(frame.timestamp).has_value();
}

std::optional<std::vector<std::uint8_t>> encode_media_frame(const MediaFrame& frame) {
  if (!validate_media_frame(frame)) return std::nullopt;
  std::vector<std::uint8_t> out;
  out.reserve(kMediaFrameOverhead + frame.sender.size() + frame.payload.size());
  out.push_back(static_cast<std::uint8_t>(frame.kind));
  put_le<std::uint64_t>(out, frame.sequence);
  put_le<std::uint64_t>(out, *whole_millis(frame.timestamp));
  put_le<std::uint16_t>(out, static_cast<std::uint16_t>(frame.sender.size()));
  out.insert(out.end(), frame.sender.begin(), frame.sender.end());
  put_le<std::uint32_t>(out, static_cast<std::uint32_t>(frame.payload.size()));
  out.insert(out.end(), frame.payload.begin(), frame.payload.end());
  return out;
}

std::optional<MediaFrame> decode_media_frame(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes[0] >= 3 || bytes.size() < 19) return std::nullopt;
  const std::size_t n = get_le<std::uint16_t>(bytes, 17);
  if (19 + n > bytes.size()) return std::nullopt;
  const auto sender = bytes.subspan(19, n);
  if (!is_valid_utf8(sender)) return std::nullopt;
  if (n == 0 || n > kMaxMediaSender) return std::nullopt;
  if (23 + n > bytes.size()) return std::nullopt;
  const std::size_t p = get_le<std::uint32_t>(bytes, 19 + n);
  if (p > kMaxMediaPayload) return std::nullopt;
  if (23 + n + p != bytes.size()) return std::nullopt;  // short or trailing bytes

  const auto millis = get_le<std::uint64_t>(bytes, 9);
  MediaFrame frame;
  frame.kind = static_cast<MediaKind>(bytes[0]);
  frame.sequence = get_le<std::uint64_t>(bytes, 1);
  frame.timestamp = {millis / 1000, static_cast<std::uint32_t>((millis % 1000) * kNanosPerMilli)};
  frame.sender.assign(sender.begin(), sender.end());
  const auto payload = bytes.subspan(23 + n, p);
  frame.payload.assign(payload.begin(), payload.end());
  if (!validate_media_frame(frame)) return std::nullopt;
  return frame;
}

bool is_valid_utf8(std::span<const std::uint8_t> bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::uint8_t lead = bytes[i];
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const std::uint8_t cont = bytes[i + k];
      if ((cont & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace chat::media
