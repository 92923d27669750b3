#include <gtest/gtest.h>

#include <cmath>

#include "app/window_layout.hpp"

namespace chat::app {
namespace {

TEST(WindowLayout, WidthBreakpointsUseTheLogicalWidth) {
  struct Case {
    double width;
    float scale;
    bool compact_nav;
    bool compact_details;
  };
  const std::vector<Case> cases = {
      {759, 1, true, true},     {760, 1, false, true},  {1039, 1, false, true},
      {1040, 1, false, false},  {1600, 2, false, true}, {1500, 2, true, true},
      {900, 0.5f, false, true},  // scales below 1 count as 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " at " << c.scale);
    auto app = chat_app_base();
    app->bounds = {0, 0, c.width, 700};
    update_compact_flags(*app, c.scale);
    EXPECT_EQ(app->ui_scale, c.scale);
    EXPECT_EQ(app->compact_nav, c.compact_nav);
    EXPECT_EQ(app->compact_details, c.compact_details);
  }
}

TEST(WindowLayout, AWindowWithoutASizeKeepsItsFlags) {
  auto app = chat_app_base();
  app->bounds = {0, 0, 500, 700};
  update_compact_flags(*app, 1);
  ASSERT_TRUE(app->compact_nav);
  app->bounds = {0, 0, 1.5, 700};  // under one logical pixel at scale 2
  update_compact_flags(*app, 2);
  EXPECT_TRUE(app->compact_nav);
  EXPECT_TRUE(app->compact_details);
  EXPECT_EQ(app->ui_scale, 2.0f);
}

TEST(WindowLayout, ColumnsDockBesideTheConversationOrOverlayIt) {
  struct Case {
    double width;
    std::optional<bool> details_override;
    bool thread_open;
    double left, right;
    Rect details;
  };
  const std::vector<Case> cases = {
      // Wide: navigation docked, details docked when shown.
      {1280, true, false, 316, 920, {920, 0, 1280, 800}},
      {1280, std::nullopt, false, 316, 1280, {920, 0, 1280, 800}},
      // Middle: the details pane overlays; hidden it sits beyond the right edge.
      {900, std::nullopt, false, 316, 900, {900, 0, 1260, 800}},
      // An open thread in the compact layout covers the whole window.
      {900, std::nullopt, true, 316, 900, {0, 0, 900, 800}},
      // Narrow: both overlay.
      {700, std::nullopt, false, 0, 700, {700, 0, 1060, 800}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    auto app = chat_app_base();
    app->bounds = {0, 0, c.width, 800};
    app->details_anim.user_override = c.details_override;
    if (!c.thread_open) app->open_thread.reset();
    update_compact_flags(*app, 1);
    EXPECT_DOUBLE_EQ(content_left(*app), c.left);
    EXPECT_DOUBLE_EQ(content_right(*app), c.right);
    const Rect d = details_rect(*app);
    EXPECT_DOUBLE_EQ(d.x0, c.details.x0);
    EXPECT_DOUBLE_EQ(d.x1, c.details.x1);
    EXPECT_DOUBLE_EQ(d.y1, c.details.y1);
    const Rect h = header_rect(*app);
    EXPECT_DOUBLE_EQ(h.x0, c.left);
    EXPECT_DOUBLE_EQ(h.x1, c.right);
    EXPECT_DOUBLE_EQ(h.y1, 60);
  }
}

TEST(WindowLayout, CompactNavigationSlidesInFromTheLeft) {
  auto app = chat_app_base();
  app->bounds = {10, 0, 700, 800};
  update_compact_flags(*app, 1);
  // The first compact frame settles at once: the default hides an overlay pane.
  EXPECT_DOUBLE_EQ(nav_pane_x(*app), 10 - 316);
  app->nav_anim.value = 1.0;
  EXPECT_DOUBLE_EQ(nav_pane_x(*app), 10);
  app->nav_anim.value = 0.5;
  EXPECT_DOUBLE_EQ(nav_pane_x(*app), 10 - 316 * (1 - 0.875));
}

TEST(WindowLayout, HeaderGrowsWithTheScale) {
  auto app = chat_app_base();
  app->bounds = {0, 0, 2560, 1600};
  update_compact_flags(*app, 2);
  EXPECT_DOUBLE_EQ(header_rect(*app).y1, 120);
}

TEST(WindowLayout, LayoutTreePlacesTheWindowAndItsVideoNode) {
  auto app = chat_app_base();
  layout::LayoutTree tree;
  vesk_ui::WidgetRegistry registry;
  const layout::NodeId root = app->build_layout(tree, registry);
  EXPECT_EQ(app->root_node, root);
  ASSERT_TRUE(app->video_node);
  EXPECT_EQ(registry.widget_at(root), app.get());
  tree.compute_layout(root, {1000, 600});
  app->apply_layout(tree, root, {5, 7});
  EXPECT_DOUBLE_EQ(app->bounds.x0, 5);
  EXPECT_DOUBLE_EQ(app->bounds.y0, 7);
  EXPECT_DOUBLE_EQ(app->bounds.x1, 1005);
  EXPECT_DOUBLE_EQ(app->bounds.y1, 607);
  const std::optional<layout::Layout> video = tree.layout(*app->video_node);
  ASSERT_TRUE(video);
  EXPECT_DOUBLE_EQ(video->location.x, 505);
  EXPECT_DOUBLE_EQ(video->location.y, 180);
  EXPECT_DOUBLE_EQ(video->size.width, 250);
  EXPECT_DOUBLE_EQ(video->size.height, 138);

  // A node the tree has no layout for changes nothing.
  app->apply_layout(tree, 999, {0, 0});
  EXPECT_DOUBLE_EQ(app->bounds.x1, 1005);
}

TEST(WindowLayout, PopupRectOnlyWhileTheMenuIsOpen) {
  auto app = chat_app_base();
  EXPECT_FALSE(app->has_open_popup());
  EXPECT_EQ(app->popup_rect(), std::nullopt);
  app->context_menu.emplace(std::vector{vesk_ui::ContextMenuItem::plain("Rename")});
  EXPECT_FALSE(app->has_open_popup());
  EXPECT_EQ(app->popup_rect(), std::nullopt);
  app->context_menu->open_at(40, 50);
  EXPECT_TRUE(app->has_open_popup());
  ASSERT_TRUE(app->popup_rect());
  EXPECT_DOUBLE_EQ(app->popup_rect()->x0, 40);
  EXPECT_DOUBLE_EQ(app->popup_rect()->y0, 50);
}

TEST(WindowLayout, AttachedChromeReplacesTheBoundsOnlyWithAPositiveArea) {
  auto app = chat_app_base();
  app->bounds = {0, 0, 800, 600};
  for (Rect chrome : {Rect{}, Rect{10, 10, 5, 20}, Rect{20, 20, 10, 10}}) {
    app->chrome_rect = chrome;
    EXPECT_DOUBLE_EQ(chrome_or_bounds_rect(*app).x1, 800);
  }
  app->chrome_rect = {10, 20, 30, 40};
  EXPECT_DOUBLE_EQ(chrome_or_bounds_rect(*app).x1, 30);
}

}  // namespace
}  // namespace chat::app
