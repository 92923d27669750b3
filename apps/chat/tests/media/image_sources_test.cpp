#include "media/image_sources.hpp"

#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <vdoc/blob_store.hpp>
#include <vesk_ui/image_store.hpp>

#include "media/demo_pictures.hpp"

namespace chat::media {
namespace {

// A blob store that serves what the test put under an id of its choosing.
class MapBlobStore final : public vdoc::blobstore::BlobStore {
 public:
  std::map<std::string, vdoc::blobstore::Bytes, std::less<>> blobs;

  std::optional<vdoc::blobstore::Bytes> get(std::string_view id) override {
    auto it = blobs.find(id);
    if (it == blobs.end()) return std::nullopt;
    return it->second;
  }
  vdoc::blobstore::Result<vdoc::blobstore::BlobId> put(std::span<const std::uint8_t>) override {
    return vdoc::blobstore::Error{vdoc::blobstore::ErrorKind::Io, "read-only"};
  }
  vdoc::blobstore::Result<vdoc::blobstore::BlobId> put_checked(
      std::string_view, std::span<const std::uint8_t>) override {
    return vdoc::blobstore::Error{vdoc::blobstore::ErrorKind::Io, "read-only"};
  }
  vdoc::blobstore::Result<std::uint64_t> evict_unreferenced(
      std::span<const vdoc::blobstore::BlobId>) override {
    return std::uint64_t{0};
  }
  bool has(std::string_view id) override { return blobs.contains(id); }
};

class BlobStoreInstalled : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_shared<MapBlobStore>();
    vdoc::blobstore::set_store(store_);
  }
  void TearDown() override { vdoc::blobstore::set_store(nullptr); }
  std::shared_ptr<MapBlobStore> store_;
};

const std::string kId(64, 'a');

// The colour of one pixel of a decoded picture (opaque pictures only).
Rgb decoded_pixel(const vesk_ui::Image& image, int x, int y) {
  cairo_surface_t* surface = image.surface();
  cairo_surface_flush(surface);
  const unsigned char* row =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  std::uint32_t argb = 0;
  std::memcpy(&argb, row + x * 4, 4);
  return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
          static_cast<std::uint8_t>(argb)};
}

TEST(ImageSources, DemoAddressesGiveTheirPicturesAndNothingElseResolves) {
  struct Case {
    std::string address;
    int width;  // 0: nothing resolves
    int height;
  };
  const Case cases[] = {
      {"vesk-demo://call-grid", 640, 360},
      {"vesk-demo://shared-shot", 620, 400},
      {"vesk-demo://", 0, 0},
      {"vesk-demo://call-grid2", 0, 0},
      {"vesk-demo://Call-Grid", 0, 0},
      {"vesk-demo:/call-grid", 0, 0},
      {"https://example.invalid/call-grid.png", 0, 0},
      {"call-grid", 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const std::optional<ImageBytes> bytes = resolve_image_source(c.address);
    if (c.width == 0) {
      EXPECT_FALSE(bytes.has_value());
      continue;
    }
    ASSERT_TRUE(bytes.has_value());
    ASSERT_GE(bytes->size(), 8u);
    EXPECT_EQ(std::memcmp(bytes->data(), "\x89PNG\r\n\x1a\n", 8), 0);
    const std::shared_ptr<const vesk_ui::Image> image = vesk_ui::decode_image(*bytes);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), c.width);
    EXPECT_EQ(image->height(), c.height);
  }
}

TEST(ImageSources, DemoPicturesSurviveTheirPngEncoding) {
  struct Case {
    std::string address;
    RgbaCanvas canvas;
    std::vector<std::pair<int, int>> points;
  };
  const Case cases[] = {
      // Background corner, a tile's avatar, its brighter lower half, the speaking ring.
      {"vesk-demo://call-grid", draw_call_grid(), {{0, 0}, {169, 93}, {100, 160}, {27, 100}}},
      // Background, the title bar, the card, an accent bar.
      {"vesk-demo://shared-shot", draw_shared_shot(), {{0, 399}, {300, 40}, {300, 330}, {60, 106}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const std::optional<ImageBytes> bytes = resolve_image_source(c.address);
    ASSERT_TRUE(bytes.has_value());
    const std::shared_ptr<const vesk_ui::Image> image = vesk_ui::decode_image(*bytes);
    ASSERT_NE(image, nullptr);
    for (const auto& [x, y] : c.points) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      EXPECT_EQ(decoded_pixel(*image, x, y), c.canvas.pixel(x, y));
    }
  }
}

TEST(DemoPictures, LayoutColoursLandWhereTheyAreDrawn) {
  const RgbaCanvas grid = draw_call_grid();
  EXPECT_EQ(grid.pixel(0, 0), rgb_hex(0x261C1A));
  EXPECT_EQ(grid.pixel(639, 359), rgb_hex(0x1A1211));
  // The first tile speaks: its 3-pixel ring, and inside it the tile itself.
  EXPECT_EQ(grid.pixel(27, 100), rgb_hex(0x8CD658));
  EXPECT_NE(grid.pixel(30, 100), rgb_hex(0x8CD658));
  // Other tiles have no ring.
  EXPECT_NE(grid.pixel(329, 100), rgb_hex(0x8CD658));
  // The name bar.
  EXPECT_EQ(grid.pixel(26 + 60, 26 + 125), rgb_hex(0x120D0C));
  // The avatar's inner disc is its outer colour brightened.
  const Rgb outer = grid.pixel(26 + 143 - 32, 26 + 67);
  EXPECT_EQ(grid.pixel(26 + 143, 26 + 67), brighten_color(outer, 26));

  const RgbaCanvas shot = draw_shared_shot();
  EXPECT_EQ(shot.pixel(0, 0), rgb_hex(0x2C2220));
  EXPECT_EQ(shot.pixel(300, 50), rgb_hex(0xE87A5E));
  EXPECT_EQ(shot.pixel(50, 51), rgb_hex(0xFFFFFF));
  EXPECT_EQ(shot.pixel(300, 330), rgb_hex(0xF8F5F4));
  EXPECT_EQ(shot.pixel(100, 107), rgb_hex(0xF0967E));           // first line's accent bar
  EXPECT_EQ(shot.pixel(100, 102 + 38 + 5), rgb_hex(0xE0D8D4));  // second line has none
  EXPECT_EQ(shot.pixel(100, 102 + 3 * 38 + 5), rgb_hex(0xF0967E));
}

TEST(DemoPictures, RasterRules) {
  // Gradient rows: the first is the top colour, the last the bottom, between them truncated.
  RgbaCanvas canvas(3, 3);
  canvas.vertical_gradient({0, 100, 255}, {255, 0, 0});
  EXPECT_EQ(canvas.pixel(0, 0), (Rgb{0, 100, 255}));
  EXPECT_EQ(canvas.pixel(2, 1), (Rgb{127, 50, 127}));
  EXPECT_EQ(canvas.pixel(1, 2), (Rgb{255, 0, 0}));

  // Blending mixes by coverage and ignores pixels outside the canvas.
  canvas.blend(0, 0, {255, 255, 255}, 0.5);
  EXPECT_EQ(canvas.pixel(0, 0), (Rgb{127, 177, 255}));
  canvas.blend(-1, 0, {255, 255, 255}, 1);
  canvas.blend(3, 3, {255, 255, 255}, 1);
  EXPECT_EQ(canvas.pixels()[3], 255);

  struct Coverage {
    int px, py;
    double expected;
  };
  // A 10 x 10 square at (0, 0) with radius 4.
  const Coverage cases[] = {
      {5, 5, 1.0},   // middle
      {0, 5, 1.0},   // left edge outside the corners
      {10, 5, 0.0},  // outside
      {0, 0, 0.0},   // the very corner is cut away
      {3, 3, 1.0},   // inside the corner circle
      {1, 1, std::clamp(4.5 - std::hypot(2.5, 2.5), 0.0, 1.0)},
  };
  for (const Coverage& c : cases) {
    SCOPED_TRACE(testing::Message() << c.px << "," << c.py);
    EXPECT_DOUBLE_EQ(rounded_rect_coverage(0, 0, 10, 10, 4, c.px, c.py), c.expected);
  }
  EXPECT_DOUBLE_EQ(disc_coverage(5, 5, 2, 4, 4), 1.0);
  EXPECT_DOUBLE_EQ(disc_coverage(5, 5, 2, 8, 5), 0.0);

  EXPECT_EQ(brighten_color({250, 10, 0}, 18), (Rgb{255, 28, 18}));
}

TEST(DemoPictures, PngEncodingRefusesAShortBuffer) {
  const std::vector<std::uint8_t> pixels(4 * 4 * 4 - 1, 255);
  EXPECT_FALSE(encode_png(pixels, 4, 4).has_value());
  EXPECT_FALSE(encode_png(pixels, 0, 4).has_value());
  EXPECT_TRUE(encode_png(pixels, 3, 4).has_value());
}

TEST_F(BlobStoreInstalled, BlobAddressesGiveTheStoredBytes) {
  store_->blobs[kId] = {1, 2, 3, 250};
  EXPECT_EQ(resolve_image_source("vesk-blob://" + kId), (ImageBytes{1, 2, 3, 250}));
  EXPECT_FALSE(resolve_image_source("vesk-blob://" + std::string(64, 'b')).has_value());
  EXPECT_FALSE(resolve_image_source("vesk-blob://").has_value());
  // The bare id is not an address.
  EXPECT_FALSE(resolve_image_source(kId).has_value());
}

TEST(ImageSources, BlobAddressWithoutAStoreGivesNothing) {
  vdoc::blobstore::set_store(nullptr);
  EXPECT_FALSE(resolve_image_source("vesk-blob://" + kId).has_value());
}

TEST_F(BlobStoreInstalled, TheImageStoreLoadsThroughTheResolver) {
  const RgbaCanvas canvas = draw_shared_shot();
  store_->blobs[kId] = *encode_png(canvas.pixels(), canvas.width(), canvas.height());
  vesk_ui::ImageStore images(resolve_image_source);
  const std::string url = attachment_image_url(kId);
  EXPECT_FALSE(images.get(url).ready());
  EXPECT_FALSE(images.get("vesk-blob://" + std::string(64, 'c')).ready());
  ASSERT_TRUE(images.block_until_idle(std::chrono::seconds(10)));
  const vesk_ui::ImageStore::Lookup found = images.get(url);
  ASSERT_TRUE(found.ready());
  EXPECT_EQ(found.image->width(), 620);
  EXPECT_EQ(images.get("vesk-blob://" + std::string(64, 'c')).state,
            vesk_ui::ImageStore::State::Failed);
}

TEST(ImageSources, AttachmentUrls) {
  const std::pair<std::string, std::string> cases[] = {
      {kId, "vesk-blob://" + kId},
      {"vesk-demo://shared-shot", "vesk-demo://shared-shot"},
      {"vesk-demo://anything", "vesk-demo://anything"},
      {"", "vesk-blob://"},
  };
  for (const auto& [blob, url] : cases) EXPECT_EQ(attachment_image_url(blob), url) << blob;
}

TEST(ImageSources, OnlyBlobIdsAndDemoPicturesMayBeViewed) {
  const std::pair<std::string, bool> cases[] = {
      {std::string(64, 'f'), true},
      {"0123456789ABCDEFabcdef0123456789abcdef0123456789abcdef0123456789", true},
      {std::string(63, 'f'), false},
      {std::string(65, 'f'), false},
      {std::string(63, 'f') + "g", false},
      {std::string(63, 'f') + " ", false},
      {"vesk-demo://call-grid", true},
      {"vesk-demo://shared-shot", true},
      {"vesk-demo://other", false},
      {"vesk-blob://" + std::string(64, 'f'), false},
      {"", false},
  };
  // Viewing is the lowest access level: a view-only reader may see what a writer may.
  for (const auto& permissions :
       {vesk_ui::PermissionContext::permissive(), vesk_ui::PermissionContext::up_to(0)}) {
    for (const auto& [blob, allowed] : cases) {
      EXPECT_EQ(can_view_blob(permissions, blob), allowed) << blob;
    }
  }
}

}  // namespace
}  // namespace chat::media
