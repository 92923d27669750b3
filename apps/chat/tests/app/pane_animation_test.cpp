#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "app/pane_animation.hpp"

namespace chat::app {
namespace {

using namespace std::chrono_literals;

TEST(PaneAnimation, StartsAtItsTargetWithNothingSeen) {
  PaneClock::time_point t0{};
  PaneAnimation nav = new_pane_animation(true, t0);
  PaneAnimation details = new_pane_animation(false, t0);
  EXPECT_EQ(nav.value, 1.0);
  EXPECT_EQ(details.value, 0.0);
  EXPECT_EQ(nav.last_tick, t0);
  EXPECT_FALSE(nav.user_override);
  EXPECT_FALSE(nav.last_compact);
  EXPECT_FALSE(tick(nav, false, t0 + 16ms));
}

TEST(PaneAnimation, FirstCompactFlagJumpsLaterOnesAnimate) {
  PaneClock::time_point t0{};
  PaneAnimation nav = new_pane_animation(true, t0);
  set_compact(nav, true);  // first frame already compact: hidden at once
  EXPECT_EQ(nav.value, 0.0);
  EXPECT_EQ(nav.last_compact, true);
  EXPECT_FALSE(tick(nav, true, t0 + 16ms));

  set_compact(nav, false);  // crossing the breakpoint: the value stays, the ticks move it
  EXPECT_EQ(nav.value, 0.0);
  EXPECT_TRUE(tick(nav, false, t0 + 32ms));
  EXPECT_GT(nav.value, 0.0);
  EXPECT_LT(nav.value, 1.0);
}

TEST(PaneAnimation, ALongPauseCountsAsATenthOfASecond) {
  PaneClock::time_point t0{};
  PaneAnimation details = new_pane_animation(false, t0);
  set_compact(details, false);
  details.user_override = true;
  EXPECT_TRUE(tick(details, false, t0 + 5s));
  EXPECT_NEAR(details.value, 1.0 - std::exp(-1.4), 1e-12);  // about 75 %
  EXPECT_EQ(details.last_tick, t0 + 5s);
}

TEST(PaneAnimation, SixtyFramesASecondSnapsToTheTargetAfterAboutThirtyFrames) {
  PaneClock::time_point t = {};
  PaneAnimation details = new_pane_animation(false, t);
  set_compact(details, false);
  details.user_override = true;
  const auto frame = std::chrono::nanoseconds(16'666'667);
  int frames = 0;
  bool moving = true;
  while (moving && frames < 200) {
    t += frame;
    moving = tick(details, false, t);
    ++frames;
  }
  EXPECT_GE(frames, 28);
  EXPECT_LE(frames, 32);
  EXPECT_EQ(details.value, 1.0);  // snapped exactly
  for (int i = 0; i < 3; ++i) {
    t += frame;
    EXPECT_FALSE(tick(details, false, t));
  }
}

TEST(PaneAnimation, UserOverrideSurvivesUntilABreakpointIsCrossed) {
  PaneClock::time_point t0{};
  PaneAnimation nav = new_pane_animation(true, t0);
  set_compact(nav, false);
  nav.user_override = false;  // hidden by the toggle
  EXPECT_FALSE(pane_target(nav, false));
  set_compact(nav, false);  // same width class: the override stays
  EXPECT_EQ(nav.user_override, false);
  set_compact(nav, true);
  EXPECT_FALSE(nav.user_override);  // crossing drops it
  set_compact(nav, false);
  EXPECT_TRUE(pane_target(nav, false));

  struct Case {
    bool shown;
    std::optional<bool> override_;
    bool compact;
    bool target;
  };
  for (Case c :
       {Case{true, {}, false, true}, Case{true, {}, true, false}, Case{false, {}, false, false},
        Case{false, true, true, true}, Case{true, false, false, false}}) {
    PaneAnimation a = new_pane_animation(c.shown, t0);
    a.user_override = c.override_;
    EXPECT_EQ(pane_target(a, c.compact), c.target)
        << c.shown << " " << c.override_.has_value() << " " << c.compact;
  }
}

TEST(PaneAnimation, EasedIsAClampedEaseOutCubic) {
  struct Case {
    double value, eased;
  };
  for (Case c : {Case{0.5, 0.875}, Case{0.0, 0.0}, Case{1.0, 1.0}, Case{-0.4, 0.0}, Case{1.6, 1.0},
                 Case{0.25, 1 - 0.75 * 0.75 * 0.75}}) {
    PaneAnimation a;
    a.value = c.value;
    EXPECT_DOUBLE_EQ(eased(a), c.eased) << c.value;
  }
}

}  // namespace
}  // namespace chat::app
