// Any byte stream: the length-prefixed reader never asks for more than a frame can hold and
// yields only frames that validate.
#include <cstdlib>

#include "media/media_stream.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  chat::media::MediaStreamReader reader;
  std::size_t at = 0;
  while (size - at >= reader.wanted()) {
    if (reader.wanted() > chat::media::kMaxEncodedMediaFrame) std::abort();
    const std::span<const std::uint8_t> chunk(data + at, reader.wanted());
    at += chunk.size();
    const auto step = reader.feed(chunk);
    if (step == chat::media::MediaStreamReader::Step::TooLarge) break;
    if (step == chat::media::MediaStreamReader::Step::Frame &&
        !chat::media::validate_media_frame(reader.take_frame())) {
      std::abort();
    }
  }
  return 0;
}
