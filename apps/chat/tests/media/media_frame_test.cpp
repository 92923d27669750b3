#include "media/media_frame.hpp"

#include <gtest/gtest.h>

namespace chat::media {
namespace {

MediaFrame example_frame() {
  return {.sender = "u_a",
          .payload = {0xde, 0xad, 0xbe, 0xef},
          .timestamp = {1, 500'000'000},
          .sequence = 5,
          .kind = MediaKind::ScreenSharing};
}

const std::vector<std::uint8_t> kExampleBytes = {
    0x02,                                            // kind
    0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // sequence
    0xDC, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 1500 ms
    0x03, 0x00, 'u',  '_',  'a',                     // sender
    0x04, 0x00, 0x00, 0x00, 0xde, 0xad, 0xbe, 0xef,  // payload
};

TEST(MediaFrame, EncodesTheDocumentedLayout) {
  const auto bytes = encode_media_frame(example_frame());
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, kExampleBytes);
  EXPECT_EQ(decode_media_frame(*bytes), example_frame());
}

TEST(MediaFrame, TimestampKeepsWholeMillisecondsOnly) {
  MediaFrame frame = example_frame();
  frame.timestamp = {2, 999'999};
  const auto decoded = decode_media_frame(*encode_media_frame(frame));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->timestamp, (MediaTimestamp{2, 0}));
}

TEST(MediaFrame, ValidationLimits) {
  struct Case {
    const char* name;
    void (*mutate)(MediaFrame&);
    bool valid;
  };
  const Case cases[] = {
      {"empty sender", [](MediaFrame& f) { f.sender.clear(); }, false},
      {"256-byte sender", [](MediaFrame& f) { f.sender.assign(256, 'x'); }, true},
      {"257-byte sender", [](MediaFrame& f) { f.sender.assign(257, 'x'); }, false},
      {"2 MiB payload", [](MediaFrame& f) { f.payload.assign(kMaxMediaPayload, 1); }, true},
      {"2 MiB + 1 payload", [](MediaFrame& f) { f.payload.assign(kMaxMediaPayload + 1, 1); },
       false},
      {"largest representable time",
       [](MediaFrame& f) {
         f.timestamp = {UINT64_MAX / 1000, 615'999'999};
       },
       true},
      {"millis overflow",
       [](MediaFrame& f) {
         f.timestamp = {UINT64_MAX / 1000, 616'000'000};
       },
       false},
      {"seconds overflow",
       [](MediaFrame& f) {
         f.timestamp = {UINT64_MAX, 0};
       },
       false},
  };
  for (const auto& c : cases) {
    MediaFrame frame = example_frame();
    c.mutate(frame);
    EXPECT_EQ(validate_media_frame(frame), c.valid) << c.name;
    EXPECT_EQ(encode_media_frame(frame).has_value(), c.valid) << c.name;
  }
}

TEST(MediaFrame, LargestFrameRoundTrips) {
  MediaFrame frame = example_frame();
  frame.sender.assign(256, 's');
  frame.payload.assign(kMaxMediaPayload, 7);
  const auto bytes = encode_media_frame(frame);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), kMaxEncodedMediaFrame);
  EXPECT_EQ(decode_media_frame(*bytes), frame);
}

TEST(MediaFrame, RejectsMalformedInput) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  auto with = [](auto mutate) {
    auto bytes = kExampleBytes;
    mutate(bytes);
    return bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"kind 3", with([](auto& b) { b[0] = 3; })},
      {"shorter than header",
       std::vector<std::uint8_t>(kExampleBytes.begin(), kExampleBytes.begin() + 18)},
      {"one byte appended", with([](auto& b) { b.push_back(0); })},
      {"last byte removed", with([](auto& b) { b.pop_back(); })},
      {"sender length 0", with([](auto& b) { b[17] = 0; })},
      {"sender not UTF-8", with([](auto& b) { b[19] = 0xff; })},
      {"payload length beyond input", with([](auto& b) { b[22] = 5; })},
      {"payload length over the limit", with([](auto& b) {
         b[24] = 0x20;
         b[22] = 1;
       })},
  };
  for (const auto& c : cases) EXPECT_FALSE(decode_media_frame(c.bytes)) << c.name;

  // A sender length of 257 with enough bytes behind it.
  std::vector<std::uint8_t> long_sender(kExampleBytes.begin(), kExampleBytes.begin() + 17);
  long_sender.push_back(0x01);
  long_sender.push_back(0x01);
  long_sender.insert(long_sender.end(), 257, 'x');
  long_sender.insert(long_sender.end(), {0, 0, 0, 0});
  EXPECT_FALSE(decode_media_frame(long_sender));
}

TEST(Utf8, AcceptsValidAndRejectsInvalidSequences) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    bool valid;
  };
  const Case cases[] = {
      {{'a', 'b'}, true},
      {{0xC3, 0xA9}, true},               // é
      {{0xF0, 0x9F, 0x98, 0x80}, true},   // emoji
      {{0xC0, 0x80}, false},              // overlong NUL
      {{0xED, 0xA0, 0x80}, false},        // surrogate
      {{0xF4, 0x90, 0x80, 0x80}, false},  // beyond U+10FFFF
      {{0xE2, 0x82}, false},              // truncated
      {{0x80}, false},                    // stray continuation
  };
  for (const auto& c : cases) EXPECT_EQ(is_valid_utf8(c.bytes), c.valid);
}

}  // namespace
}  // namespace chat::media
