#pragma once
// The one object all call media passes through; networked or simulated, the call logic
// sees only these eight operations. Every operation runs on the main thread and none blocks.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/media_frame.hpp"

namespace chat::media {

class MediaBackend {
 public:
  virtual ~MediaBackend() = default;

  virtual bool is_networked() const = 0;
  // The ticket under which peers reach this process.
  virtual std::optional<std::string> local_ticket() const = 0;
  // Whether the ticket names a peer that frames are now sent to.
  virtual bool connect_peer(std::string_view ticket) = 0;
  virtual void publish_kind(MediaKind kind) = 0;
  virtual void unpublish_kind(MediaKind kind) = 0;
  virtual void subscribe(std::string user_id, MediaKind kind) = 0;
  // Whether the frame was accepted for delivery.
  virtual bool send_frame(MediaFrame frame) = 0;
  // At most kMaxPolledFrames, oldest first.
  virtual std::vector<MediaFrame> poll_frames() = 0;
};

inline constexpr std::size_t kMaxPolledFrames = 64;
inline constexpr std::size_t kMediaQueueCapacity = 128;

// What was published and subscribed. Kept by both backends and read by neither: what is sent
// and received does not depend on it.
struct MediaBookkeeping {
  std::vector<MediaKind> published;
  std::vector<std::pair<std::string, MediaKind>> subscriptions;

  void publish(MediaKind kind);
  void unpublish(MediaKind kind);
  void subscribe(std::string user_id, MediaKind kind);
};

}  // namespace chat::media
