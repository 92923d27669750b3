#include "media/media_stream.hpp"

#include <gtest/gtest.h>

namespace chat::media {
namespace {

struct ReadOutcome {
  std::vector<MediaFrame> frames;
  int dropped = 0;
  bool too_large = false;
};

// Feeds a byte stream through the reader the way a transport does: exactly the bytes it asks
// for, until the stream runs out.
ReadOutcome read_stream(const std::vector<std::uint8_t>& stream) {
  ReadOutcome out;
  MediaStreamReader reader;
  std::size_t at = 0;
  while (stream.size() - at >= reader.wanted()) {
    const std::span<const std::uint8_t> chunk(stream.data() + at, reader.wanted());
    at += chunk.size();
    switch (reader.feed(chunk)) {
      case MediaStreamReader::Step::Frame:
        out.frames.push_back(reader.take_frame());
        break;
      case MediaStreamReader::Step::Dropped:
        ++out.dropped;
        break;
      case MediaStreamReader::Step::TooLarge:
        out.too_large = true;
        return out;
      case MediaStreamReader::Step::NeedMore:
        break;
    }
  }
  return out;
}

void append_framed(std::vector<std::uint8_t>& stream, const std::vector<std::uint8_t>& body) {
  const auto prefix = encode_length_prefix(static_cast<std::uint32_t>(body.size()));
  stream.insert(stream.end(), prefix.begin(), prefix.end());
  stream.insert(stream.end(), body.begin(), body.end());
}

MediaFrame frame_number(std::uint64_t sequence) {
  return {.sender = "u_peer", .payload = {1, 2, 3}, .timestamp = {}, .sequence = sequence};
}

TEST(MediaStream, LengthPrefixIsLittleEndian) {
  EXPECT_EQ(encode_length_prefix(0x01020304), (std::array<std::uint8_t, 4>{4, 3, 2, 1}));
}

TEST(MediaStream, FramesAreReadBackInOrder) {
  std::vector<std::uint8_t> stream;
  for (std::uint64_t i = 0; i < 10; ++i)
    append_framed(stream, *encode_media_frame(frame_number(i)));
  const auto out = read_stream(stream);
  ASSERT_EQ(out.frames.size(), 10u);
  for (std::uint64_t i = 0; i < 10; ++i) EXPECT_EQ(out.frames[i], frame_number(i));
}

TEST(MediaStream, EmptyLengthIsSkippedAndInvalidBodiesDropped) {
  std::vector<std::uint8_t> stream;
  append_framed(stream, {});            // length 0
  append_framed(stream, {0x09, 0x09});  // not a frame
  append_framed(stream, *encode_media_frame(frame_number(7)));
  const auto out = read_stream(stream);
  EXPECT_EQ(out.dropped, 1);
  ASSERT_EQ(out.frames.size(), 1u);
  EXPECT_EQ(out.frames[0].sequence, 7u);
}

TEST(MediaStream, LengthBeyondTheLargestFrameStopsReading) {
  std::vector<std::uint8_t> stream;
  const auto prefix = encode_length_prefix(static_cast<std::uint32_t>(kMaxEncodedMediaFrame + 1));
  stream.assign(prefix.begin(), prefix.end());
  append_framed(stream, *encode_media_frame(frame_number(1)));
  const auto out = read_stream(stream);
  EXPECT_TRUE(out.too_large);
  EXPECT_TRUE(out.frames.empty());

  MediaStreamReader reader;
  EXPECT_EQ(reader.feed(encode_length_prefix(2097432)), MediaStreamReader::Step::TooLarge);
  EXPECT_EQ(frame_too_large_error(reader.rejected_length()), "media frame too large: 2097432");
  EXPECT_EQ(reader.feed(encode_length_prefix(2097431)), MediaStreamReader::Step::NeedMore)
      << "the largest valid frame is still read";
  EXPECT_EQ(reader.wanted(), 2097431u);
}

TEST(MediaStream, TruncatedBodyDeliversNothing) {
  std::vector<std::uint8_t> stream;
  append_framed(stream, *encode_media_frame(frame_number(1)));
  stream.pop_back();
  EXPECT_TRUE(read_stream(stream).frames.empty());
}

}  // namespace
}  // namespace chat::media
