#include "media/networked_backend.hpp"

#include <cstdlib>

#include "media/media_protocol.hpp"
#include "media/media_stream.hpp"
#include "media/simulated_backend.hpp"

namespace chat::media {
namespace {

struct BoundEndpoint {
  p2p::Endpoint endpoint;
  p2p::Router router;
  std::string ticket;
};

p2p::Task<std::optional<BoundEndpoint>> bind_media_endpoint(p2p::EndpointConfig config,
                                                            p2p::Sender<MediaFrame> incoming) {
  auto endpoint = co_await p2p::Endpoint::bind(config);
  if (!endpoint) co_return std::nullopt;
  auto router =
      p2p::Router::builder(*endpoint)
          .accept(std::string(kMediaProtocol), std::make_shared<MediaProtocol>(std::move(incoming)))
          .spawn();
  if (!router) co_return std::nullopt;
  std::string ticket;
  ticket.reserve(128);
  ticket += endpoint->addr().to_json();
  co_return BoundEndpoint{std::move(*endpoint), std::move(*router), std::move(ticket)};
}

}  // namespace

std::unique_ptr<NetworkedMediaBackend> NetworkedMediaBackend::create(p2p::EndpointConfig config) {
  auto started = p2p::Runtime::start(2);
  if (!started) return nullptr;
  std::shared_ptr<p2p::Runtime> runtime(std::move(*started));
  auto [sender, receiver] = p2p::bounded_queue<MediaFrame>(kMediaQueueCapacity);
  auto bound = runtime->block_on(bind_media_endpoint(config, std::move(sender)));
  if (!bound) return nullptr;
  return std::unique_ptr<NetworkedMediaBackend>(new NetworkedMediaBackend(
      std::move(runtime), std::move(bound->endpoint), std::move(bound->router),
      std::move(bound->ticket), std::move(receiver)));
}

NetworkedMediaBackend::NetworkedMediaBackend(std::shared_ptr<p2p::Runtime> runtime,
                                             p2p::Endpoint endpoint, p2p::Router router,
                                             std::string ticket, p2p::Receiver<MediaFrame> incoming)
    : runtime_(std::move(runtime)),
      endpoint_(std::move(endpoint)),
      router_(std::move(router)),
      local_ticket_(std::move(ticket)),
      incoming_(std::move(incoming)) {}

NetworkedMediaBackend::~NetworkedMediaBackend() {
  runtime_.reset();
  endpoint_.reset();
  router_.reset();
  local_ticket_.clear();
  incoming_.reset();
  peers_.clear();
}

bool NetworkedMediaBackend::connect_peer(std::string_view ticket) {
  if (ticket == local_ticket_) return false;
  const std::string key(ticket);
  if (peers_.contains(key)) return true;
  auto addr = p2p::EndpointAddr::from_json(ticket);
  if (!addr) return false;
  auto [sender, receiver] = p2p::bounded_queue<SharedBytes>(kMediaQueueCapacity);
  runtime_->spawn(run_media_sender(*endpoint_, std::move(*addr), std::move(receiver)));
  peers_.emplace(key, std::move(sender));
  return true;
}

bool NetworkedMediaBackend::send_frame(MediaFrame frame) {
  auto encoded = encode_media_frame(frame);
  if (!encoded) return false;
  const auto bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(*encoded));
  bool accepted = false;
  for (auto it = peers_.begin(); it != peers_.end();) {
    switch (it->second.try_send(bytes)) {
      case p2p::SendStatus::accepted:
        accepted = true;
        ++it;
        break;
      case p2p::SendStatus::full:  // this peer misses the frame
        ++it;
        break;
      case p2p::SendStatus::closed:  // its task ended; a later connect_peer starts anew
        it = peers_.erase(it);
        break;
    }
  }
  return accepted;
}

std::vector<MediaFrame> NetworkedMediaBackend::poll_frames() {
  std::vector<MediaFrame> out;
  while (out.size() < kMaxPolledFrames) {
    auto next = incoming_->try_recv();
    if (next.status != p2p::RecvStatus::value) break;
    out.push_back(std::move(*next.value));
  }
  return out;
}

std::unique_ptr<MediaBackend> create_media_backend() {
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr ||
      std::getenv("WAYLAND_DISPLAY") != nullptr) {
    if (auto networked = NetworkedMediaBackend::create()) return networked;
  }
  return simulated_media_backend();
}

}  // namespace chat::media
