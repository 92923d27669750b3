#include <gtest/gtest.h>

#include <span>
#include <string_view>
#include <vector>

#include "image_fixtures.hpp"
#include "vdoc/blob_store.hpp"

namespace {

using vdoc::blobstore::ImageSize;
using vdoc::blobstore::sniff;

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

template <std::size_t N>
std::vector<std::uint8_t> bytes(const std::uint8_t (&array)[N], std::size_t keep = N) {
  return {array, array + std::min(keep, N)};
}

TEST(Sniff, GivesTheSizeOfTheFourImageKindsAndZeroForAnythingElse) {
  struct Case {
    const char* label;
    std::vector<std::uint8_t> input;
    ImageSize expected;
  };
  std::vector<std::uint8_t> png_with_garbage_after_signature = bytes(vdoc_test::kPng5x3, 8);
  for (int i = 0; i < 64; ++i) png_with_garbage_after_signature.push_back(0x5a);
  const Case cases[] = {
      {"png", bytes(vdoc_test::kPng5x3), {5, 3}},
      {"jpeg", bytes(vdoc_test::kJpeg7x4), {7, 4}},
      {"gif", bytes(vdoc_test::kGif3x2), {3, 2}},
      {"webp", bytes(vdoc_test::kWebp6x5), {6, 5}},
      // The size sits in the header: a picture cut short in its pixels still has one.
      {"png cut inside its pixel data",
       bytes(vdoc_test::kPng5x3, sizeof vdoc_test::kPng5x3 - 20),
       {5, 3}},
      {"bmp is not one of the four", bytes(vdoc_test::kBmp2x2), {0, 0}},
      {"png signature alone", bytes(vdoc_test::kPng5x3, 8), {0, 0}},
      {"png signature then garbage", png_with_garbage_after_signature, {0, 0}},
      {"jpeg marker then garbage", bytes("\xff\xd8\xff garbage that is no jpeg at all"), {0, 0}},
      {"riff but not webp", bytes("RIFF\x10\x00\x00\x00WAVEfmt "), {0, 0}},
      {"webp header then garbage", bytes("RIFF\x10\x00\x00\x00WEBPVP8 zzzzzzzzzz"), {0, 0}},
      {"svg text", bytes("<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>"), {0, 0}},
      {"plain text", bytes("hello"), {0, 0}},
      {"empty", {}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const ImageSize size = sniff(c.input);
    EXPECT_EQ(size.width, c.expected.width);
    EXPECT_EQ(size.height, c.expected.height);
  }
}

}  // namespace
