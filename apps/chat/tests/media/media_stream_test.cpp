#include "media/media_stream.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace chat::media {
namespace {

// A byte stream the reader consumes; reads past its end fail like a finished stream.
struct ByteStream {
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;

  ReadExact reader() {
    return [this](std::span<std::uint8_t> out) {
      if (bytes.size() - at < out.size()) return false;
      std::memcpy(out.data(), bytes.data() + at, out.size());
      at += out.size();
      return true;
    };
  }
  WriteAll writer() {
    return [this](std::span<const std::uint8_t> in) {
      bytes.insert(bytes.end(), in.begin(), in.end());
      return true;
    };
  }
  void append_length(std::uint32_t length) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  }
};

MediaFrame frame_number(std::uint64_t sequence) {
  return {.sender = "u_peer", .payload = {1, 2, 3}, .timestamp = {}, .sequence = sequence};
}

TEST(MediaStream, FramesWrittenAreReadBackInOrder) {
  ByteStream stream;
  for (std::uint64_t i = 0; i < 10; ++i) {
    ASSERT_TRUE(write_media_frame(stream.writer(), *encode_media_frame(frame_number(i))));
  }
  std::vector<MediaFrame> got;
  const auto end = receive_media_frames(stream.reader(), [&](MediaFrame f) {
    got.push_back(std::move(f));
    return Offer::Accepted;
  });
  EXPECT_EQ(end, StreamEnd::ReadFailed);
  ASSERT_EQ(got.size(), 10u);
  for (std::uint64_t i = 0; i < 10; ++i) EXPECT_EQ(got[i], frame_number(i));
}

TEST(MediaStream, EmptyLengthIsSkippedAndInvalidFramesDropped) {
  ByteStream stream;
  stream.append_length(0);
  write_media_frame(stream.writer(), std::vector<std::uint8_t>{0x09, 0x09});  // not a frame
  write_media_frame(stream.writer(), *encode_media_frame(frame_number(7)));
  std::vector<MediaFrame> got;
  receive_media_frames(stream.reader(), [&](MediaFrame f) {
    got.push_back(std::move(f));
    return Offer::Accepted;
  });
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].sequence, 7u);
}

TEST(MediaStream, OversizedLengthEndsTheStream) {
  ByteStream stream;
  stream.append_length(static_cast<std::uint32_t>(kMaxEncodedMediaFrame + 1));
  write_media_frame(stream.writer(), *encode_media_frame(frame_number(1)));
  int delivered = 0;
  const auto end = receive_media_frames(stream.reader(), [&](MediaFrame) {
    ++delivered;
    return Offer::Accepted;
  });
  EXPECT_EQ(end, StreamEnd::FrameTooLarge);
  EXPECT_EQ(delivered, 0);
  EXPECT_EQ(frame_too_large_error(2097432), "media frame too large: 2097432");
}

TEST(MediaStream, FullQueueDropsAndClosedQueueEnds) {
  ByteStream stream;
  for (std::uint64_t i = 0; i < 5; ++i) {
    write_media_frame(stream.writer(), *encode_media_frame(frame_number(i)));
  }
  std::vector<std::uint64_t> seen;
  const auto end = receive_media_frames(stream.reader(), [&](MediaFrame f) {
    seen.push_back(f.sequence);
    if (f.sequence == 1) return Offer::Full;
    if (f.sequence == 3) return Offer::Closed;
    return Offer::Accepted;
  });
  EXPECT_EQ(end, StreamEnd::QueueClosed);
  EXPECT_EQ(seen, (std::vector<std::uint64_t>{0, 1, 2, 3}));  // a full queue does not stop reading
}

TEST(MediaStream, TruncatedBodyEndsNormally) {
  ByteStream stream;
  const auto bytes = *encode_media_frame(frame_number(1));
  stream.append_length(static_cast<std::uint32_t>(bytes.size()));
  stream.bytes.insert(stream.bytes.end(), bytes.begin(), bytes.end() - 1);
  int delivered = 0;
  EXPECT_EQ(receive_media_frames(stream.reader(),
                                 [&](MediaFrame) {
                                   ++delivered;
                                   return Offer::Accepted;
                                 }),
            StreamEnd::ReadFailed);
  EXPECT_EQ(delivered, 0);
}

TEST(MediaStream, EmptyFrameWritesOnlyItsLength) {
  ByteStream stream;
  int writes = 0;
  const WriteAll counting = [&](std::span<const std::uint8_t> in) {
    ++writes;
    return stream.writer()(in);
  };
  EXPECT_TRUE(write_media_frame(counting, {}));
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(stream.bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace chat::media
