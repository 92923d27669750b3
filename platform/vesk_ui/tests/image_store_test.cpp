#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <string>

#include "vesk_ui/image_store.hpp"

namespace vesk_ui {
namespace {

using namespace std::chrono_literals;

// PNG bytes of a solid-colour picture, written through Cairo.
ImageStore::Bytes png_of(int w, int h, Color c) {
  Scene scene(w, h);
  scene.clear(c);
  scene.flush();
  ImageStore::Bytes out;
  cairo_surface_write_to_png_stream(
      scene.surface(),
      [](void* closure, const unsigned char* data, unsigned int length) {
        auto* bytes = static_cast<ImageStore::Bytes*>(closure);
        bytes->insert(bytes->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &out);
  return out;
}

TEST(DecodeImage, DecodesPicturesRefusesGarbageAndScalesHugeOnesDown) {
  auto image = decode_image(png_of(6, 4, {1, 0, 0, 1}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width(), 6);
  EXPECT_EQ(image->height(), 4);
  Scene scene(6, 4);
  paint_image_cover(scene, Affine::identity(), *image, {0, 0, 6, 4}, 0);
  EXPECT_NEAR(scene.pixel(3, 2).r, 1.0f, 0.01f);

  EXPECT_FALSE(decode_image({}));
  ImageStore::Bytes garbage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  EXPECT_FALSE(decode_image(garbage));
  ImageStore::Bytes truncated = png_of(6, 4, {0, 1, 0, 1});
  truncated.resize(truncated.size() / 2);
  EXPECT_FALSE(decode_image(truncated));

  auto wide = decode_image(png_of(300, 30, {0, 0, 1, 1}), 100);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->width(), 100);
  EXPECT_EQ(wide->height(), 10);
}

TEST(ImageStore, LoadsInTheBackgroundAndRemembersFailures) {
  std::mutex m;
  std::map<std::string, int> calls;
  ImageStore store([&](std::string_view address) -> std::optional<ImageStore::Bytes> {
    {
      std::lock_guard lock(m);
      ++calls[std::string(address)];
    }
    if (address == "ok") return png_of(8, 8, {0, 1, 0, 1});
    if (address == "garbage") return ImageStore::Bytes{1, 2, 3};
    if (address == "throws") throw std::runtime_error("resolver failed");
    return std::nullopt;
  });
  EXPECT_TRUE(store.is_idle());
  for (const char* a : {"ok", "missing", "garbage", "throws"}) {
    EXPECT_EQ(store.get(a).state, ImageStore::State::Loading) << a;
  }
  ASSERT_TRUE(store.block_until_idle(5s));

  ImageStore::Lookup ok = store.get("ok");
  ASSERT_TRUE(ok.ready());
  EXPECT_EQ(ok.image->width(), 8);
  for (const char* a : {"missing", "garbage", "throws"}) {
    EXPECT_EQ(store.get(a).state, ImageStore::State::Failed) << a;
    EXPECT_FALSE(store.get(a).image) << a;
  }
  // Frames keep asking; nothing is resolved twice.
  for (int frame = 0; frame < 5; ++frame) {
    for (const char* a : {"ok", "missing", "garbage", "throws"}) store.get(a);
  }
  EXPECT_TRUE(store.block_until_idle(5s));
  std::lock_guard lock(m);
  for (const char* a : {"ok", "missing", "garbage", "throws"}) EXPECT_EQ(calls[a], 1) << a;
}

TEST(ImageStore, GetNeverWaitsForASlowResolver) {
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  std::atomic<bool> entered = false;
  ImageStore store([&](std::string_view) -> std::optional<ImageStore::Bytes> {
    entered = true;
    gate.wait();
    return png_of(2, 2, {1, 1, 1, 1});
  });
  EXPECT_EQ(store.get("slow").state, ImageStore::State::Loading);
  EXPECT_EQ(store.get("second").state, ImageStore::State::Loading);
  while (!entered) std::this_thread::yield();
  // The loader is stuck inside the resolver, yet lookups answer at once.
  EXPECT_EQ(store.get("slow").state, ImageStore::State::Loading);
  EXPECT_FALSE(store.is_idle());
  EXPECT_FALSE(store.block_until_idle(20ms));
  release.set_value();
  EXPECT_TRUE(store.block_until_idle(5s));
  EXPECT_TRUE(store.get("slow").ready());
  EXPECT_TRUE(store.get("second").ready());
}

TEST(ImageStore, ShutsDownWithWorkStillQueued) {
  std::atomic<int> resolved = 0;
  {
    ImageStore store([&](std::string_view) -> std::optional<ImageStore::Bytes> {
      std::this_thread::sleep_for(5ms);
      ++resolved;
      return std::nullopt;
    });
    for (int i = 0; i < 50; ++i) store.get("img" + std::to_string(i));
  }  // must not hang or crash
  EXPECT_LT(resolved.load(), 50);
}

}  // namespace
}  // namespace vesk_ui
