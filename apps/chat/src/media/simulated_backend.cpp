#include "media/simulated_backend.hpp"

namespace chat::media {

bool SimulatedMediaBackend::send_frame(MediaFrame frame) {
  if (!validate_media_frame(frame) || loopback_.size() >= kMediaQueueCapacity) return false;
  loopback_.push_back(std::move(frame));
  return true;
}

std::vector<MediaFrame> SimulatedMediaBackend::poll_frames() {
  std::vector<MediaFrame> out;
  const std::size_t count = std::min(loopback_.size(), kMaxPolledFrames);
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(std::move(loopback_.front()));
    loopback_.pop_front();
  }
  return out;
}

std::unique_ptr<MediaBackend> simulated_media_backend() {
  return std::make_unique<SimulatedMediaBackend>();
}

}  // namespace chat::media
