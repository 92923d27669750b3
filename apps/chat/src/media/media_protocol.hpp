#pragma once
// Both sides of the media protocol as tasks on the network runtime: the sending side writes
// queued frames to one unidirectional stream; the accept handler reads frames from the one
// stream a peer opens and offers them to the incoming queue.

#include <p2p/endpoint.hpp>
#include <p2p/queue.hpp>
#include <p2p/router.hpp>

#include "media/networked_backend.hpp"

namespace chat::media {

// Ends when the connection or the stream fails, or the queue closes; the stream is finished.
p2p::Task<void> run_media_sender(p2p::Endpoint endpoint, p2p::EndpointAddr peer,
                                 p2p::Receiver<NetworkedMediaBackend::SharedBytes> queue);

class MediaProtocol final : public p2p::ProtocolHandler {
 public:
  explicit MediaProtocol(p2p::Sender<MediaFrame> incoming) : incoming_(std::move(incoming)) {}
  // A failed stream accept is the handler's error; everything after it ends normally.
  p2p::Task<p2p::Result<void>> accept(p2p::Connection connection) override;

 private:
  p2p::Sender<MediaFrame> incoming_;
};

}  // namespace chat::media
