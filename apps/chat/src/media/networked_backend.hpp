#pragma once
// Call media between peers over QUIC: one endpoint per start of the program (a fresh key, so a
// fresh identity), its address as the call ticket, one outgoing connection per remote ticket
// and an accept handler per incoming connection, all on a 2-thread runtime. The main thread
// only offers to and takes from bounded queues; it never waits on the network.

#include <p2p/endpoint.hpp>
#include <p2p/queue.hpp>
#include <p2p/router.hpp>
#include <p2p/runtime.hpp>

#include <memory>
#include <optional>
#include <unordered_map>

#include "media/media_backend.hpp"

namespace chat::media {

class NetworkedMediaBackend final : public MediaBackend {
 public:
  // Binds the endpoint, blocking until it is bound. None when the runtime, the endpoint, the
  // router or the ticket cannot be made.
  static std::unique_ptr<NetworkedMediaBackend> create(p2p::EndpointConfig config = {});
  ~NetworkedMediaBackend() override;

  bool is_networked() const override { return true; }
  std::optional<std::string> local_ticket() const override { return local_ticket_; }
  bool connect_peer(std::string_view ticket) override;
  void publish_kind(MediaKind kind) override { bookkeeping_.publish(kind); }
  void unpublish_kind(MediaKind kind) override { bookkeeping_.unpublish(kind); }
  void subscribe(std::string user_id, MediaKind kind) override {
    bookkeeping_.subscribe(std::move(user_id), kind);
  }
  bool send_frame(MediaFrame frame) override;
  std::vector<MediaFrame> poll_frames() override;

  // Remote tickets with a connection task that has not been found ended yet.
  std::size_t peer_count() const { return peers_.size(); }

  using SharedBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

 private:
  NetworkedMediaBackend(std::shared_ptr<p2p::Runtime> runtime, p2p::Endpoint endpoint,
                        p2p::Router router, std::string ticket, p2p::Receiver<MediaFrame> incoming);

  // Released in this order, the runtime first, so no task runs while the rest goes.
  std::shared_ptr<p2p::Runtime> runtime_;
  std::optional<p2p::Endpoint> endpoint_;
  std::optional<p2p::Router> router_;
  std::string local_ticket_;
  std::optional<p2p::Receiver<MediaFrame>> incoming_;
  std::unordered_map<std::string, p2p::Sender<SharedBytes>> peers_;
  MediaBookkeeping bookkeeping_;
};

// The networked backend where a desktop session is present (DBUS_SESSION_BUS_ADDRESS or
// WAYLAND_DISPLAY set, even empty) and it can be built; the simulated one otherwise. The
// fallback is silent.
std::unique_ptr<MediaBackend> create_media_backend();

}  // namespace chat::media
