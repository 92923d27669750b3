#include "layout/layout.hpp"

#include <gtest/gtest.h>

namespace layout {
namespace {

Style window_style() {
  Style s;
  s.size = {Dimension::percent(1.0), Dimension::percent(1.0)};
  return s;
}

Style floating_video() {
  Style s;
  s.position = Position::Absolute;
  s.inset.left = Dimension::percent(0.505);
  s.inset.top = Dimension::percent(0.3);
  s.size = {Dimension::percent(0.25), Dimension::percent(0.23)};
  return s;
}

TEST(LayoutTree, WindowFillsTheSpaceAndPlacesItsAbsoluteChildByFractions) {
  LayoutTree tree;
  const NodeId video = tree.new_leaf(floating_video());
  const auto window = tree.new_with_children(window_style(), {video});
  ASSERT_TRUE(window);
  EXPECT_FALSE(tree.layout(*window)) << "nothing computed before a pass";

  tree.compute_layout(*window, {1280, 800});
  const auto w = tree.layout(*window);
  const auto v = tree.layout(video);
  ASSERT_TRUE(w && v);
  EXPECT_DOUBLE_EQ(w->size.width, 1280);
  EXPECT_DOUBLE_EQ(w->size.height, 800);
  EXPECT_DOUBLE_EQ(v->location.x, 1280 * 0.505);
  EXPECT_DOUBLE_EQ(v->location.y, 800 * 0.3);
  EXPECT_DOUBLE_EQ(v->size.width, 320);
  EXPECT_DOUBLE_EQ(v->size.height, 184);
}

TEST(LayoutTree, AbsolutePlacementFromInsetsAndLengths) {
  struct Case {
    const char* name;
    Style style;
    Layout expected;
  };
  auto absolute = [](Insets inset, Size2 size) {
    Style s;
    s.position = Position::Absolute;
    s.inset = inset;
    s.size = size;
    return s;
  };
  const auto L = Dimension::length;
  const auto A = Dimension::automatic();
  const Case cases[] = {
      {"lengths", absolute({L(10), L(20), A, A}, {L(30), L(40)}), {{10, 20}, {30, 40}}},
      {"zero size at origin", absolute({L(0), L(0), A, A}, {L(0), L(0)}), {{0, 0}, {0, 0}}},
      {"stretched between insets",
       absolute({L(10), L(5), L(10), L(5)}, {A, A}),
       {{10, 5}, {80, 40}}},
      {"anchored right and bottom",
       absolute({A, A, L(10), L(10)}, {L(20), L(20)}),
       {{70, 20}, {20, 20}}},
  };
  for (const auto& c : cases) {
    LayoutTree tree;
    const NodeId child = tree.new_leaf(c.style);
    const auto root = tree.new_with_children(window_style(), {child});
    tree.compute_layout(*root, {100, 50});
    const auto got = tree.layout(child);
    ASSERT_TRUE(got) << c.name;
    EXPECT_DOUBLE_EQ(got->location.x, c.expected.location.x) << c.name;
    EXPECT_DOUBLE_EQ(got->location.y, c.expected.location.y) << c.name;
    EXPECT_DOUBLE_EQ(got->size.width, c.expected.size.width) << c.name;
    EXPECT_DOUBLE_EQ(got->size.height, c.expected.size.height) << c.name;
  }
}

TEST(LayoutTree, RelativeChildrenStackAndGiveAnAutomaticHeight) {
  LayoutTree tree;
  Style row;
  row.size.height = Dimension::length(30);
  const NodeId a = tree.new_leaf(row);
  const NodeId b = tree.new_leaf(row);
  Style column;  // automatic width and height
  column.max_size.height = Dimension::length(50);
  const auto root = tree.new_with_children(column, {a, b});
  tree.compute_layout(*root, {200, 500});
  EXPECT_DOUBLE_EQ(tree.layout(*root)->size.width, 200);
  EXPECT_DOUBLE_EQ(tree.layout(*root)->size.height, 50) << "clamped by max height";
  EXPECT_DOUBLE_EQ(tree.layout(b)->location.y, 30);
}

TEST(LayoutTree, RefusesUnknownOrSharedChildren) {
  LayoutTree tree;
  const NodeId leaf = tree.new_leaf({});
  EXPECT_FALSE(tree.new_with_children({}, {leaf + 5}));
  EXPECT_FALSE(tree.new_with_children({}, {leaf, leaf}));
  ASSERT_TRUE(tree.new_with_children({}, {leaf}));
  EXPECT_FALSE(tree.new_with_children({}, {leaf})) << "a node has one parent";
  EXPECT_FALSE(tree.layout(99));
}

}  // namespace
}  // namespace layout
