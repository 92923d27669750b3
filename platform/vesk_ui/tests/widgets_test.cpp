#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "vesk_ui/avatar.hpp"
#include "vesk_ui/tooltip_host.hpp"
#include "vesk_ui/transition.hpp"

namespace vesk_ui {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(Avatar, InitialsTakeTheFirstAndLastWordsLetters) {
  struct Case {
    const char* name;
    const char* initials;
  };
  const std::vector<Case> cases = {
      {"Ada Lovelace", "AL"},
      {"ada", "A"},
      {"  mary   ann   evans ", "ME"},
      {"émile zola", "ÉZ"},
      {"Jean-Luc Picard", "JP"},
      {"123 456", ""},
      {"", ""},
      {"R2 D2", "RD"},
      {"🙂 Sam", "S"},
      {"ßigma x", "ßX"},
      {"Łukasz", "Ł"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Avatar::initials_for_name(c.name), c.initials) << c.name;
  }
}

TEST(TooltipHost, ShowsAfterHalfASecondOnTheSameTarget) {
  TooltipHost host;
  EXPECT_EQ(host.delay(), 500ms);
  Clock::time_point t0{};
  EXPECT_FALSE(host.has_pending());
  EXPECT_FALSE(host.visible());

  EXPECT_FALSE(host.on_pointer("Send", t0));  // pending, nothing to draw yet
  EXPECT_TRUE(host.has_pending());
  EXPECT_FALSE(host.tick(t0 + 499ms));
  EXPECT_FALSE(host.visible());
  EXPECT_FALSE(host.on_pointer("Send", t0 + 300ms));  // same target: the delay keeps running
  EXPECT_TRUE(host.tick(t0 + 500ms));
  EXPECT_TRUE(host.visible());
  EXPECT_EQ(host.target(), "Send");
  EXPECT_FALSE(host.tick(t0 + 900ms));

  // Moving to another target hides the tooltip and restarts the delay.
  EXPECT_TRUE(host.on_pointer("Attach", t0 + 1s));
  EXPECT_FALSE(host.visible());
  EXPECT_FALSE(host.tick(t0 + 1s + 400ms));
  EXPECT_TRUE(host.tick(t0 + 1s + 500ms));

  EXPECT_TRUE(host.on_pointer(std::nullopt, t0 + 2s));
  EXPECT_FALSE(host.visible());
  EXPECT_FALSE(host.has_pending());
  EXPECT_FALSE(host.tick(t0 + 5s));
}

TEST(Transition, FirstSettingJumpsLaterOnesAnimateWithTheMotion) {
  Transition tr;
  Clock::time_point t0{};
  EXPECT_FLOAT_EQ(tr.progress(), 1.0f);
  EXPECT_FALSE(tr.animating());
  EXPECT_FALSE(tr.initialised());

  Motion linear{Curve::Linear, 0.2};
  tr.set_open(false, linear, t0);
  EXPECT_TRUE(tr.initialised());
  EXPECT_FLOAT_EQ(tr.progress(), 0.0f);
  EXPECT_FALSE(tr.animating());

  tr.set_open(true, linear, t0);
  EXPECT_TRUE(tr.animating());
  struct Step {
    std::chrono::milliseconds at;
    float progress;
    bool moving;
  };
  for (Step s : std::vector<Step>{
           {50ms, 0.25f, true}, {100ms, 0.5f, true}, {200ms, 1.0f, false}, {300ms, 1.0f, false}}) {
    EXPECT_EQ(tr.update(t0 + s.at), s.moving) << s.at.count();
    EXPECT_NEAR(tr.progress(), s.progress, 1e-6) << s.at.count();
  }

  // Turning back half-way starts from where it stands.
  tr.set_open(false, linear, t0 + 1s);
  tr.update(t0 + 1s + 100ms);
  EXPECT_NEAR(tr.progress(), 0.5f, 1e-6);
  tr.set_open(true, linear, t0 + 1s + 100ms);
  tr.update(t0 + 1s + 200ms);
  EXPECT_NEAR(tr.progress(), 0.75f, 1e-6);
}

TEST(Transition, InstantMotionFixedModeAndClearedFlags) {
  Transition tr;
  Clock::time_point t0{};
  tr.set_open(true, Motion{}, t0);
  tr.set_open(false, Motion{Curve::EaseOutCubic, 0.0}, t0);
  EXPECT_FALSE(tr.animating());
  EXPECT_FLOAT_EQ(tr.progress(), 0.0f);

  tr.set_open(true, Motion{Curve::Linear, 1.0}, t0);
  tr.set_fixed(0.3f);
  EXPECT_FLOAT_EQ(tr.progress(), 0.3f);
  EXPECT_FALSE(tr.animating());
  tr.set_fixed(std::nullopt);
  EXPECT_TRUE(tr.animating());

  tr.clear_flags();
  EXPECT_FALSE(tr.initialised());
  EXPECT_FALSE(tr.animating());
  tr.set_open(false, Motion{Curve::Linear, 1.0}, t0 + 10ms);  // jumps again
  EXPECT_FLOAT_EQ(tr.progress(), 0.0f);
  EXPECT_FALSE(tr.animating());
}

}  // namespace
}  // namespace vesk_ui
