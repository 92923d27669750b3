#include "media/networked_backend.hpp"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace chat::media {
namespace {

using namespace std::chrono_literals;

// Loopback only, with a short idle timeout so a vanished peer is noticed quickly.
p2p::EndpointConfig loopback_config() {
  p2p::EndpointConfig config;
  config.bind_addr = {asio::ip::make_address("127.0.0.1"), 0};
  config.idle_timeout = 1500ms;
  return config;
}

std::unique_ptr<NetworkedMediaBackend> loopback_backend() {
  auto backend = NetworkedMediaBackend::create(loopback_config());
  EXPECT_TRUE(backend);
  return backend;
}

MediaFrame frame_from(std::string sender, std::uint64_t sequence) {
  return {.sender = std::move(sender),
          .payload = std::vector<std::uint8_t>(100, static_cast<std::uint8_t>(sequence)),
          .timestamp = {sequence, 0},
          .sequence = sequence,
          .kind = MediaKind::Camera};
}

// Polls until a frame of the wanted sender arrives, sending more from `source` meanwhile
// (a connection needs a moment to come up). Bounded in time.
std::optional<MediaFrame> exchange(NetworkedMediaBackend& source, const std::string& sender,
                                   NetworkedMediaBackend& sink) {
  const auto deadline = std::chrono::steady_clock::now() + 8s;
  std::uint64_t sequence = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    source.send_frame(frame_from(sender, ++sequence));
    for (auto& frame : sink.poll_frames()) {
      if (frame.sender == sender) return frame;
    }
    std::this_thread::sleep_for(10ms);
  }
  return std::nullopt;
}

TEST(NetworkedBackend, TicketIsTheEndpointAddressAndPeersAreKeptOnce) {
  auto a = loopback_backend();
  auto b = loopback_backend();
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(a->is_networked());
  const auto ticket = a->local_ticket();
  ASSERT_TRUE(ticket);
  EXPECT_TRUE(p2p::EndpointAddr::from_json(*ticket));
  EXPECT_NE(ticket, b->local_ticket()) << "every backend has its own identity";

  EXPECT_FALSE(a->connect_peer(*ticket)) << "the own ticket";
  EXPECT_FALSE(a->connect_peer("not a ticket"));
  EXPECT_EQ(a->peer_count(), 0u);
  EXPECT_FALSE(a->send_frame(frame_from("u_a", 1))) << "no peers";

  EXPECT_TRUE(a->connect_peer(*b->local_ticket()));
  EXPECT_TRUE(a->connect_peer(*b->local_ticket()));
  EXPECT_EQ(a->peer_count(), 1u);
}

TEST(NetworkedBackend, FramesTravelBothWays) {
  auto a = loopback_backend();
  auto b = loopback_backend();
  ASSERT_TRUE(a && b);
  ASSERT_TRUE(a->connect_peer(*b->local_ticket()));
  ASSERT_TRUE(b->connect_peer(*a->local_ticket()));

  const auto at_b = exchange(*a, "u_a", *b);
  ASSERT_TRUE(at_b);
  EXPECT_EQ(at_b->kind, MediaKind::Camera);
  EXPECT_EQ(at_b->payload.size(), 100u);
  EXPECT_TRUE(exchange(*b, "u_b", *a));
}

TEST(NetworkedBackend, UnreachablePeerFillsItsQueueAndStays) {
  // A UDP socket that never answers: the connection task waits in its handshake.
  const int silent = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(silent, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  socklen_t len = sizeof addr;
  ::getsockname(silent, reinterpret_cast<sockaddr*>(&addr), &len);

  auto a = loopback_backend();
  ASSERT_TRUE(a);
  auto other = loopback_backend();  // borrow a valid id; its address is replaced
  auto peer = p2p::EndpointAddr::from_json(*other->local_ticket());
  ASSERT_TRUE(peer);
  peer->addrs = {{asio::ip::make_address("127.0.0.1"), ntohs(addr.sin_port)}};
  ASSERT_TRUE(a->connect_peer(peer->to_json()));

  for (std::uint64_t i = 0; i < kMediaQueueCapacity; ++i) {
    ASSERT_TRUE(a->send_frame(frame_from("u_a", i))) << i;
  }
  EXPECT_FALSE(a->send_frame(frame_from("u_a", 999))) << "the peer's queue is full";
  EXPECT_EQ(a->peer_count(), 1u) << "a full queue keeps the peer";
  a.reset();
  ::close(silent);
}

TEST(NetworkedBackend, RestartedPeerIsReachedUnderItsNewTicket) {
  auto a = loopback_backend();
  auto b = loopback_backend();
  ASSERT_TRUE(a && b);
  ASSERT_TRUE(a->connect_peer(*b->local_ticket()));
  ASSERT_TRUE(exchange(*a, "u_a", *b));

  b.reset();  // the peer quits; its connection goes silent
  auto b2 = loopback_backend();
  ASSERT_TRUE(b2);
  ASSERT_TRUE(a->connect_peer(*b2->local_ticket()));
  EXPECT_EQ(a->peer_count(), 2u);
  ASSERT_TRUE(exchange(*a, "u_a", *b2));

  // The old peer's task ends at its idle timeout; the next send finds its queue closed.
  const auto deadline = std::chrono::steady_clock::now() + 8s;
  while (a->peer_count() > 1 && std::chrono::steady_clock::now() < deadline) {
    a->send_frame(frame_from("u_a", 1));
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(a->peer_count(), 1u);
}

TEST(NetworkedBackend, PollTakesAtMostSixtyFour) {
  auto a = loopback_backend();
  auto b = loopback_backend();
  ASSERT_TRUE(a && b);
  ASSERT_TRUE(a->connect_peer(*b->local_ticket()));
  ASSERT_TRUE(exchange(*a, "u_a", *b));  // the connection is up
  for (std::uint64_t i = 0; i < 100; ++i) a->send_frame(frame_from("u_a", 1000 + i));

  std::size_t seen = 0;
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (seen < 100 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);  // let frames pile up between polls
    const auto batch = b->poll_frames();
    EXPECT_LE(batch.size(), kMaxPolledFrames);
    for (const auto& f : batch) seen += f.sequence >= 1000 ? 1 : 0;
  }
  EXPECT_EQ(seen, 100u);
}

}  // namespace
}  // namespace chat::media
