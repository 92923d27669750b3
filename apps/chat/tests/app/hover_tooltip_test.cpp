#include "app/hover_tooltip.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_layout.hpp"
#include "composer_test_support.hpp"
#include "doc/structure_writers.hpp"

namespace chat::app {
namespace {

using testing::ComposerFixture;

TEST(HoverTooltip, ButtonsFirstThenTheConversationHeader) {
  ComposerFixture f;
  f.app->bounds = {0, 0, 1280, 800};
  const Rect header = header_rect(*f.app);
  doc::put_channel(f.doc, f.conversation, f.app->view.current_workspace,
                   find_channel(*f.app, f.conversation)->category, "general", "  plans and news \n",
                   doc::ChannelKind::Text, 0);
  refresh_view(*f.app, f.doc);
  f.app->hit_regions.clear();
  push_hit_region(f.app->hit_regions, {0, 700, 100, 800}, hit::Send{});
  push_hit_region(f.app->hit_regions, {0, 700, 50, 800}, hit::FocusMain{});  // no tooltip
  push_hit_region(f.app->hit_regions, {header.x1 - 40, 0, header.x1, 40}, hit::ToggleRightFlap{});
  push_hit_region(f.app->hit_regions, {header.x0, 0, header.x0 + 30, 30}, hit::JumpToLatest{});

  struct Case {
    const char* what;
    vesk_ui::Point at;
    std::optional<std::string> text;
  };
  const std::vector<Case> cases = {
      {"send button", {80, 750}, "Send message"},
      {"send under a region without a tooltip", {20, 750}, "Send message"},
      {"people button in the header", {header.x1 - 20, 20}, "Show people or thread"},
      {"bare header", {header.x0 + 200, 20}, "#general — plans and news"},
      {"another control in the header", {header.x0 + 10, 10}, std::nullopt},
      {"nothing there", {600, 400}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hover_tooltip_text(*f.app, c.at), c.text) << c.what;
  }
}

TEST(HoverTooltip, ThePointerHandsItToTheTooltipHost) {
  ComposerFixture f;
  push_hit_region(f.app->hit_regions, {0, 0, 100, 100}, hit::Send{});
  f.event(vesk_ui::PointerMoved{100, 100}, {}, 2.0);  // 50, 50 at scale 2
  EXPECT_DOUBLE_EQ(f.app->pointer_pos.x, 50);
  EXPECT_EQ(f.app->tooltip.target(), std::string("Send message"));
  EXPECT_TRUE(f.app->tooltip.has_pending());
  EXPECT_TRUE(f.app->tooltip.tick(f.ctx.now + std::chrono::seconds(1)));
  EXPECT_TRUE(f.app->tooltip.visible());
  // Moving away hides the shown tooltip, which needs a frame.
  EXPECT_TRUE(f.event(vesk_ui::PointerMoved{400, 400}, {}, 2.0));
  EXPECT_FALSE(f.app->tooltip.visible());
  EXPECT_TRUE(f.app->redraw_requested);
}

}  // namespace
}  // namespace chat::app
