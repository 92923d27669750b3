// The shaped-text cache: bounded, approximately least-recently-used, and never losing or
// confusing an entry while its table shifts slots around removals.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "vesk_ui/layout_cache.hpp"
#include "vesk_ui/text_renderer.hpp"

namespace vesk_ui {
namespace {

std::vector<std::shared_ptr<const TextLayout>> some_layouts(TextRenderer& text) {
  std::vector<std::shared_ptr<const TextLayout>> out;
  for (int i = 0; i < 7; ++i) out.push_back(text.shape("layout " + std::to_string(i), 12));
  return out;
}

// Random inserts and lookups under tight bounds: every key the cache still holds gives back
// its own layout, the newest key is always kept, and the bounds hold.
TEST(LayoutCache, KeepsEveryHeldKeyFindableThroughEvictions) {
  TextRenderer text;
  const auto layouts = some_layouts(text);
  struct Bounds {
    std::size_t entries, bytes;
  };
  for (Bounds bounds : {Bounds{20, 1u << 30}, Bounds{1000, 4000}, Bounds{1, 1u << 30}}) {
    detail::LayoutCache cache(bounds.entries, bounds.bytes);
    std::mt19937 rng(7);
    std::map<std::string, std::size_t> inserted;  // key -> layout number
    for (int step = 0; step < 3000; ++step) {
      const std::string key = "k" + std::to_string(rng() % 400) + std::string(rng() % 40, 'x');
      if (cache.find(key)) continue;
      const std::size_t which = rng() % layouts.size();
      cache.insert(key, layouts[which]);
      inserted[key] = which;
      ASSERT_EQ(cache.find(key), layouts[which]) << "newest " << key;
      std::size_t held = 0, bytes = 0;
      for (const auto& [k, w] : inserted) {
        auto found = cache.find(k);
        if (!found) continue;
        ++held;
        bytes += k.size() + found->approx_bytes();
        ASSERT_EQ(found, layouts[w]) << k;
      }
      ASSERT_EQ(held, cache.size()) << "step " << step;
      ASSERT_LE(held, bounds.entries);
      if (held > 1) {
        ASSERT_LE(bytes, bounds.bytes);
      }
    }
  }
}

// An entry looked up since the last eviction outlives one that was not.
TEST(LayoutCache, EvictsWhatWasNotUsedFirst) {
  TextRenderer text;
  const auto layouts = some_layouts(text);
  detail::LayoutCache cache(4, 1u << 30);
  for (int i = 0; i < 4; ++i) cache.insert("k" + std::to_string(i), layouts[i]);
  ASSERT_TRUE(cache.find("k0"));
  ASSERT_TRUE(cache.find("k2"));
  cache.insert("k4", layouts[4]);
  cache.insert("k5", layouts[5]);
  EXPECT_TRUE(cache.find("k0"));
  EXPECT_TRUE(cache.find("k2"));
  EXPECT_FALSE(cache.find("k1"));
  EXPECT_FALSE(cache.find("k3"));
  EXPECT_EQ(cache.find("k5"), layouts[5]);
  EXPECT_EQ(cache.size(), 4u);
}

}  // namespace
}  // namespace vesk_ui
