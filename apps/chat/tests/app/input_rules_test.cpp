#include "app/input_rules.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace chat::app {
namespace {

TEST(InputRules, FocusCyclesThroughTheElementsBothWays) {
  struct Case {
    std::optional<std::size_t> current;
    std::size_t count;
    bool backwards;
    std::optional<std::size_t> expected;
  };
  const std::vector<Case> cases = {
      {std::nullopt, 4, false, 0},
      {std::nullopt, 4, true, 3},  // from no focus
      {1, 4, false, 2},
      {3, 4, false, 0},  // forwards wraps at the end
      {2, 4, true, 1},
      {0, 4, true, 3},  // backwards wraps at the start
      {0, 1, false, 0},
      {0, 1, true, 0},  // a single element stays
      {2, 0, false, std::nullopt},
      {std::nullopt, 0, true, std::nullopt},  // nothing to focus
      {9, 4, false, 0},
      {9, 4, true, 3},  // a stale index starts afresh
  };
  for (const Case& c : cases) {
    EXPECT_EQ(next_focus_index(c.current, c.count, c.backwards), c.expected)
        << "current " << (c.current ? static_cast<long>(*c.current) : -1L) << " of " << c.count
        << (c.backwards ? " backwards" : " forwards");
  }
}

TEST(InputRules, WheelMovesByLinesOrLogicalPixels) {
  using Unit = vesk_ui::WheelEvent::Unit;
  EXPECT_DOUBLE_EQ(wheel_scroll_delta({Unit::Lines, 0, 3}, 2.0), 132);
  EXPECT_DOUBLE_EQ(wheel_scroll_delta({Unit::Lines, 0, -0.5}, 1.0), -22);
  EXPECT_DOUBLE_EQ(wheel_scroll_delta({Unit::Pixels, 0, 90}, 1.5), 60);
  EXPECT_DOUBLE_EQ(wheel_scroll_delta({Unit::Pixels, 0, -40}, 1.0), -40);
}

TEST(InputRules, SwipeReleaseOpensDeletesOrDoesNothing) {
  struct Case {
    double press_x, current_x;
    SwipeOutcome expected;
  };
  const std::vector<Case> cases = {
      {200, 200, SwipeOutcome::Open},    {200, 195, SwipeOutcome::Open},
      {200, 194, SwipeOutcome::Nothing}, {200, 112.1, SwipeOutcome::Nothing},
      {200, 112, SwipeOutcome::Delete},  {200, 0, SwipeOutcome::Delete},
      {200, 400, SwipeOutcome::Open},  // rightwards travel counts as none
  };
  for (const Case& c : cases) {
    EXPECT_EQ(swipe_outcome(c.press_x, c.current_x), c.expected)
        << c.press_x << " -> " << c.current_x;
  }
}

}  // namespace
}  // namespace chat::app
