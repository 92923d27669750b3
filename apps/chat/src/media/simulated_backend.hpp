#pragma once
// Loops every accepted frame back to this process; used for screenshots and wherever no
// desktop session makes a network endpoint worthwhile.

#include <deque>
#include <memory>

#include "media/media_backend.hpp"

namespace chat::media {

inline constexpr std::string_view kSimulatedTicket = "sim://local";

class SimulatedMediaBackend final : public MediaBackend {
 public:
  bool is_networked() const override { return false; }
  std::optional<std::string> local_ticket() const override { return std::string(kSimulatedTicket); }
  bool connect_peer(std::string_view) override { return true; }
  void publish_kind(MediaKind kind) override { bookkeeping_.publish(kind); }
  void unpublish_kind(MediaKind kind) override { bookkeeping_.unpublish(kind); }
  void subscribe(std::string user_id, MediaKind kind) override {
    bookkeeping_.subscribe(std::move(user_id), kind);
  }
  bool send_frame(MediaFrame frame) override;
  std::vector<MediaFrame> poll_frames() override;

  const MediaBookkeeping& bookkeeping() const { return bookkeeping_; }

 private:
  MediaBookkeeping bookkeeping_;
  std::deque<MediaFrame> loopback_;
};

std::unique_ptr<MediaBackend> simulated_media_backend();

}  // namespace chat::media
