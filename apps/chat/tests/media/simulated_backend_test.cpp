#include "media/simulated_backend.hpp"

#include <gtest/gtest.h>

namespace chat::media {
namespace {

MediaFrame frame_number(std::uint64_t sequence) {
  return {.sender = "u_me", .payload = {9}, .timestamp = {}, .sequence = sequence};
}

TEST(SimulatedBackend, IdentifiesItself) {
  SimulatedMediaBackend backend;
  EXPECT_FALSE(backend.is_networked());
  EXPECT_EQ(backend.local_ticket(), "sim://local");
  EXPECT_TRUE(backend.connect_peer("anything at all"));
}

TEST(SimulatedBackend, LoopsFramesBackInOrderWithinTheQueueLimit) {
  SimulatedMediaBackend backend;
  for (std::uint64_t i = 0; i < kMediaQueueCapacity; ++i) {
    ASSERT_TRUE(backend.send_frame(frame_number(i))) << i;
  }
  EXPECT_FALSE(backend.send_frame(frame_number(128)));  // the 129th is refused and not queued

  const auto first = backend.poll_frames();
  ASSERT_EQ(first.size(), 64u);
  EXPECT_EQ(first.front().sequence, 0u);
  EXPECT_EQ(first.back().sequence, 63u);
  EXPECT_TRUE(backend.send_frame(frame_number(1000)));

  const auto second = backend.poll_frames();
  ASSERT_EQ(second.size(), 64u);
  EXPECT_EQ(second.front().sequence, 64u);
  const auto third = backend.poll_frames();
  ASSERT_EQ(third.size(), 1u);
  EXPECT_EQ(third.front().sequence, 1000u);
  EXPECT_TRUE(backend.poll_frames().empty());
}

TEST(SimulatedBackend, PollReturnsOldestSixtyFourThenTheRest) {
  SimulatedMediaBackend backend;
  for (std::uint64_t i = 0; i < 100; ++i) backend.send_frame(frame_number(i));
  EXPECT_EQ(backend.poll_frames().size(), 64u);
  const auto rest = backend.poll_frames();
  ASSERT_EQ(rest.size(), 36u);
  EXPECT_EQ(rest.front().sequence, 64u);
}

TEST(SimulatedBackend, RefusesInvalidFramesOnAnEmptyQueue) {
  SimulatedMediaBackend backend;
  MediaFrame no_sender = frame_number(1);
  no_sender.sender.clear();
  MediaFrame long_sender = frame_number(2);
  long_sender.sender.assign(257, 'u');
  MediaFrame big = frame_number(3);
  big.payload.assign(kMaxMediaPayload + 1, 0);
  EXPECT_FALSE(backend.send_frame(no_sender));
  EXPECT_FALSE(backend.send_frame(long_sender));
  EXPECT_FALSE(backend.send_frame(big));
  EXPECT_TRUE(backend.poll_frames().empty());
}

TEST(SimulatedBackend, BookkeepingRecordsKindsAndSubscriptionsOnce) {
  SimulatedMediaBackend backend;
  backend.publish_kind(MediaKind::Camera);
  backend.publish_kind(MediaKind::Camera);
  backend.publish_kind(MediaKind::Microphone);
  EXPECT_EQ(backend.bookkeeping().published,
            (std::vector<MediaKind>{MediaKind::Camera, MediaKind::Microphone}));
  backend.unpublish_kind(MediaKind::Camera);
  EXPECT_EQ(backend.bookkeeping().published, (std::vector<MediaKind>{MediaKind::Microphone}));

  backend.subscribe("u_b", MediaKind::Camera);
  backend.subscribe("u_b", MediaKind::Camera);
  backend.subscribe("u_b", MediaKind::Microphone);
  EXPECT_EQ(backend.bookkeeping().subscriptions.size(), 2u);
}

}  // namespace
}  // namespace chat::media
