#include "app/composer_layout.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace chat::app {
namespace {

void expect_rect(const vesk_ui::Rect& got, const vesk_ui::Rect& want, const char* what) {
  EXPECT_DOUBLE_EQ(got.x0, want.x0) << what;
  EXPECT_DOUBLE_EQ(got.y0, want.y0) << what;
  EXPECT_DOUBLE_EQ(got.x1, want.x1) << what;
  EXPECT_DOUBLE_EQ(got.y1, want.y1) << what;
}

TEST(ComposerLayout, BarsGrowWithTheTextUpToTheirLimits) {
  struct Case {
    const char* what;
    double scale, text_height, main_height, thread_height;
  };
  const std::vector<Case> cases = {
      {"one line", 1.0, 18, 76, 76},
      {"three lines", 1.0, 57, 114, 114},
      {"very long text", 1.0, 900, 200, 200},
      {"one line at 1.5", 1.5, 27, 114, 84},  // the thread bar is not scaled
      {"very long text at 1.5", 1.5, 900, 300, 200},
      {"shorter than a line at 2", 2.0, 10, 152, 76},
  };
  const vesk_ui::Rect pane{900, 0, 1260, 800};
  for (const Case& c : cases) {
    const vesk_ui::Rect main = main_composer_rect(316, 900, 800, c.scale, c.text_height);
    expect_rect(main, {330, 788 - c.main_height, 886, 788}, c.what);
    const vesk_ui::Rect thread = thread_composer_rect(pane, c.text_height);
    expect_rect(thread, {912, 788 - c.thread_height, 1248, 788}, c.what);
  }
  EXPECT_DOUBLE_EQ(main_composer_wrap_width(316, 900), 536);
  EXPECT_DOUBLE_EQ(main_composer_wrap_width(0, 60), 40);
  EXPECT_DOUBLE_EQ(thread_composer_wrap_width(pane), 288);
}

TEST(ComposerLayout, ButtonsAndTextColumnInsideTheBar) {
  const vesk_ui::Theme theme = vesk_ui::Theme::dark();
  ASSERT_EQ(theme.padding, 12);
  ASSERT_EQ(theme.control_height, 32);
  ASSERT_EQ(theme.spacing, 8);
  ASSERT_EQ(theme.spacing_small, 4);
  ASSERT_EQ(theme.pane_inset, 12);
  const vesk_ui::Rect bar{100, 500, 700, 576};

  const ComposerBarLayout main = composer_bar_layout(bar, theme, true);
  ASSERT_TRUE(main.attach.has_value());
  expect_rect(*main.attach, {112, 522, 144, 554}, "attach");
  expect_rect(main.send, {644, 522, 688, 554}, "send");
  expect_rect(main.emoji, {604, 522, 636, 554}, "emoji");
  EXPECT_DOUBLE_EQ(main.emoji_anchor.x, 464);
  EXPECT_DOUBLE_EQ(main.emoji_anchor.y, 492);
  EXPECT_DOUBLE_EQ(main.text_left, 152);
  EXPECT_DOUBLE_EQ(main.text_right, 596);
  EXPECT_DOUBLE_EQ(main.text_wrap_width(), 422);

  const ComposerBarLayout thread = composer_bar_layout(bar, theme, false);
  EXPECT_FALSE(thread.attach.has_value());
  EXPECT_DOUBLE_EQ(thread.text_left, 108);

  // One line is centred; a tall text is held inside the bar.
  expect_rect(composer_text_rect(main, bar, theme, 18), {152, 521, 596, 555}, "one line");
  expect_rect(composer_text_rect(main, bar, theme, 200), {152, 504, 596, 572}, "tall text");
}

}  // namespace
}  // namespace chat::app
