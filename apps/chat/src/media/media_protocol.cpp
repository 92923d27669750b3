#include "media/media_protocol.hpp"

#include "media/media_stream.hpp"

namespace chat::media {

p2p::Task<void> run_media_sender(p2p::Endpoint endpoint, p2p::EndpointAddr peer,
                                 p2p::Receiver<NetworkedMediaBackend::SharedBytes> queue) {
  auto connection = co_await endpoint.connect(std::move(peer), std::string(kMediaProtocol));
  if (!connection) co_return;
  auto stream = co_await connection->open_uni();
  if (!stream) co_return;
  for (;;) {
    auto frame = co_await queue.recv();
    if (!frame) break;
    const auto& bytes = **frame;
    const auto prefix = encode_length_prefix(static_cast<std::uint32_t>(bytes.size()));
    if (!(co_await stream->write_all(prefix))) break;
    if (!bytes.empty() && !(co_await stream->write_all(bytes))) break;
  }
  (void)stream->finish();
}

p2p::Task<p2p::Result<void>> MediaProtocol::accept(p2p::Connection connection) {
  auto stream = co_await connection.accept_uni();
  if (!stream) co_return stream.error();
  MediaStreamReader reader;
  for (;;) {
    auto bytes = co_await stream->read_exact(reader.wanted());
    if (!bytes) co_return p2p::Result<void>{};
    switch (reader.feed(*bytes)) {
      case MediaStreamReader::Step::Frame:
        // A full queue drops the frame; a closed one means nobody listens any more.
        if (incoming_.try_send(reader.take_frame()) == p2p::SendStatus::closed) {
          co_return p2p::Result<void>{};
        }
        break;
      case MediaStreamReader::Step::TooLarge:
        // The body cannot be skipped: stop reading this stream.
        (void)frame_too_large_error(reader.rejected_length());
        co_return p2p::Result<void>{};
      case MediaStreamReader::Step::Dropped:
      case MediaStreamReader::Step::NeedMore:
        break;
    }
  }
}

}  // namespace chat::media
