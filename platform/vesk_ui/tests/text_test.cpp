#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "vesk_ui/scene.hpp"
#include "vesk_ui/text_renderer.hpp"

namespace vesk_ui {
namespace {

TEST(TextRenderer, MeasuresGrowWithSizeAndWrappingAddsLines) {
  TextRenderer text;
  TextMetrics small = text.measure("Hello there", 12);
  TextMetrics big = text.measure("Hello there", 24);
  EXPECT_GT(small.width, 30);
  EXPECT_NEAR(big.width / small.width, 2.0, 0.1);
  EXPECT_NEAR(big.height / small.height, 2.0, 0.15);
  EXPECT_DOUBLE_EQ(small.height, small.line_height);
  EXPECT_DOUBLE_EQ(text.line_height(12), text.measure("Ag", 12).height);
  EXPECT_EQ(text.measure("", 12).width, 0);
  // Nonsense sizes measure as nothing or as the largest size, never as garbage.
  for (double bad : {0.0, -5.0, std::nan("")}) EXPECT_EQ(text.measure("Hello", bad).width, 0);
  TextMetrics huge = text.measure("Hi", 1e9);
  EXPECT_GT(huge.width, 100);
  EXPECT_GT(huge.height, 100);
  EXPECT_EQ(huge.width, text.measure("Hi", 2048).width);

  std::string para = "one two three four five six seven eight nine ten eleven twelve";
  auto one_line = text.shape(para, 15);
  auto wrapped = text.shape(para, 15, 0, 120.0);
  EXPECT_EQ(one_line->line_count(), 1);
  EXPECT_GT(wrapped->line_count(), 2);
  EXPECT_LE(wrapped->width(), 120.0);
  EXPECT_NEAR(wrapped->height(), wrapped->line_count() * wrapped->line_height(), 1.0);
  // Lines cover the text without gaps.
  std::size_t covered = 0;
  for (const LineMetrics& line : wrapped->lines()) {
    EXPECT_EQ(line.start_index, covered);
    covered += line.length;
  }
  EXPECT_EQ(covered, para.size());
}

TEST(TextRenderer, KeepsShapedTextAcrossCallsAndBoundsTheCache) {
  TextRendererOptions options;
  options.cache_entries = 3;
  TextRenderer text(options);
  auto a = text.shape("alpha", 14);
  EXPECT_EQ(text.shape("alpha", 14), a);     // same key: the same shaping
  EXPECT_NE(text.shape("alpha", 14, 2), a);  // weight is part of the key
  EXPECT_NE(text.shape("alpha", 15), a);     // and size
  EXPECT_EQ(text.cache_size(), 3u);
  EXPECT_EQ(text.shape("alpha", 14), a);  // touched: now the most recent
  text.shape("beta", 14);
  EXPECT_EQ(text.cache_size(), 3u);
  EXPECT_EQ(text.shape("alpha", 14), a);           // survived, the least recent went
  EXPECT_NE(text.shape("alpha", 14, 0, 50.0), a);  // wrap width is part of the key

  TextRendererOptions tiny;
  tiny.cache_bytes = 1;
  TextRenderer bytes_bound(tiny);
  bytes_bound.shape("one", 12);
  bytes_bound.shape("two", 12);
  EXPECT_EQ(bytes_bound.cache_size(), 1u);  // the newest stays usable
}

TEST(TextLayout, MapsBytesToPositionsAndBack) {
  TextRenderer text;
  // "é" is two bytes, the flag a cluster of two four-byte code points.
  std::string s = "aé🇫🇷b";
  auto layout = text.shape(s, 20);
  struct Stop {
    std::size_t from, next;
  };
  for (Stop stop : std::vector<Stop>{{0, 1}, {1, 3}, {3, 11}, {11, 12}, {12, 12}}) {
    EXPECT_EQ(layout->next_cursor(stop.from), stop.next) << stop.from;
    if (stop.next != stop.from) {
      EXPECT_EQ(layout->prev_cursor(stop.next), stop.from);
    }
  }
  EXPECT_EQ(layout->prev_cursor(0), 0u);

  double previous = -1;
  for (std::size_t index : {0u, 1u, 3u, 11u, 12u}) {
    Rect caret = layout->cursor_rect(index);
    EXPECT_GT(caret.x0, previous) << index;
    EXPECT_GT(caret.height(), 10);
    previous = caret.x0;
    // Clicking at a caret position finds that position again.
    EXPECT_EQ(layout->index_at(caret.x0 + 0.5, caret.y0 + caret.height() / 2), index);
  }
  EXPECT_DOUBLE_EQ(layout->cursor_rect(12).x0, layout->cursor_rect(500).x0);
  // The trailing half of the flag puts the caret after the whole flag, not further.
  Rect flag_start = layout->cursor_rect(3), flag_end = layout->cursor_rect(11);
  double mid_y = flag_start.y0 + flag_start.height() / 2;
  EXPECT_EQ(layout->index_at(flag_end.x0 - 1, mid_y), 11u);
  EXPECT_EQ(layout->index_at(flag_start.x0 + 1, mid_y), 3u);
  EXPECT_EQ(layout->index_at(-50, 5), 0u);
  EXPECT_EQ(layout->index_at(1000, 5), s.size());

  auto two_lines = text.shape("first\nsecond", 16);
  ASSERT_EQ(two_lines->line_count(), 2);
  EXPECT_EQ(two_lines->line_of(2), 0);
  EXPECT_EQ(two_lines->line_of(8), 1);
  EXPECT_GT(two_lines->lines()[1].top, two_lines->lines()[0].top);
  EXPECT_GT(two_lines->cursor_rect(8).y0, two_lines->cursor_rect(2).y0);
  EXPECT_EQ(two_lines->index_at(0, two_lines->lines()[1].top + 2), 6u);
}

TEST(TextRenderer, FallbackFontsCoverTheWindowsSignsAndEmoji) {
  TextRenderer text;
  const std::vector<std::string> samples = {
      "✉ 🔊 🎤 🔇 🎧 🔕 🗑 ☰ ▸ ▾ ➤ 🙂 ☺ 📄 🖼 🎬 ▶ 🔒 👥 📹 ● ⤢ ✕ ← ↓ ＋ · "
      "— "
      "…",
      "😀 👍 🎉 ❤️ 🔥 👀 ✅ 🚀 👋🏽 👩‍💻",
      "Grüße, café, naïve, Ελληνικά, Кириллица",
  };
  for (const std::string& s : samples) {
    for (int weight : {0, 2, 3}) {
      EXPECT_EQ(text.shape(s, 15, weight)->unknown_glyphs(), 0) << s << " weight " << weight;
    }
  }
  EXPECT_GT(text.shape("\U000F0000", 15)->unknown_glyphs(), 0);  // private use: no font has it
}

TEST(TextRenderer, RichRunsCarryTheirColoursAndBackgrounds) {
  TextRenderer text;
  std::vector<RichSpan> spans = {
      {"plain ", std::nullopt, std::nullopt, std::nullopt},
      {"@red", Color{1, 0, 0, 1}, 3, Color{0, 1, 0, 1}},
  };
  auto layout = text.shape_rich(spans, 30, std::nullopt);
  EXPECT_EQ(layout->text(), "plain @red");
  EXPECT_EQ(text.shape_rich(spans, 30, std::nullopt), layout);
  spans[1].color = Color{0, 0, 1, 1};
  EXPECT_NE(text.shape_rich(spans, 30, std::nullopt), layout);  // style is part of the key

  Scene scene(400, 60);
  text.draw_rich(scene, Affine::identity(), *layout, {0, 0}, Color{0, 0, 1, 1});
  double split = layout->cursor_rect(6).x0;
  bool blue_in_plain = false, red_in_mention = false;
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < static_cast<int>(layout->width()); ++x) {
      Color c = scene.pixel(x, y);
      if (c.a < 0.9f) continue;
      if (x < split - 1 && c.b > 0.9f && c.r < 0.1f) blue_in_plain = true;
      if (x > split + 1 && c.r > 0.9f && c.b < 0.1f && c.g < 0.1f) red_in_mention = true;
      if (x < split - 1) {
        EXPECT_LT(c.g, 0.1f) << "no background behind the plain run";
      }
    }
  }
  EXPECT_TRUE(blue_in_plain);
  EXPECT_TRUE(red_in_mention);
  // The mention's background fills behind it.
  Color behind = scene.pixel(static_cast<int>(split) + 2, 3);
  EXPECT_GT(behind.g, 0.9f);
}

}  // namespace
}  // namespace vesk_ui
