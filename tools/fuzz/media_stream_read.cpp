// Any byte stream: the length-prefixed reader ends without crashing and delivers only
// frames that validate.
#include <cstdlib>
#include <cstring>

#include "media/media_stream.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t at = 0;
  const chat::media::ReadExact read = [&](std::span<std::uint8_t> out) {
    if (size - at < out.size()) return false;
    if (!out.empty()) std::memcpy(out.data(), data + at, out.size());
    at += out.size();
    return true;
  };
  int delivered = 0;
  chat::media::receive_media_frames(read, [&](chat::media::MediaFrame frame) {
    if (!chat::media::validate_media_frame(frame)) std::abort();
    return ++delivered % 3 == 0 ? chat::media::Offer::Full : chat::media::Offer::Accepted;
  });
  return 0;
}
