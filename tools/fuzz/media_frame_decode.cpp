// Any bytes: decoding never crashes, and whatever decodes encodes back to the same bytes.
#include <algorithm>
#include <cstdlib>

#include "media/media_frame.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto frame = chat::media::decode_media_frame(bytes);
  if (!frame) return 0;
  const auto again = chat::media::encode_media_frame(*frame);
  if (!again || !std::equal(again->begin(), again->end(), bytes.begin(), bytes.end())) std::abort();
  return 0;
}
