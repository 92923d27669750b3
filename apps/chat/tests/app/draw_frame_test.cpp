#include <gtest/gtest.h>

#include <algorithm>

#include <vesk_ui/shot_frame.hpp>

#include "app/screenshot_scenes.hpp"
#include "app/window_layout.hpp"

namespace chat::app {
namespace {

// One screenshot-mode frame of the demo document.
class DemoFrame {
 public:
  explicit DemoFrame(vesk_ui::ShotSize size = {1280, 800})
      : app(screenshot_app()), frame(vesk_ui::shot_theme({}), size) {}
  void render() {
    frame.sync(*app);
    ASSERT_FALSE(frame.layout(*app));
    frame.draw(*app);
  }
  template <typename T>
  std::vector<HitRegion> regions_of() const {
    std::vector<HitRegion> out;
    for (const HitRegion& r : app->hit_regions) {
      if (std::holds_alternative<T>(r.target)) out.push_back(r);
    }
    return out;
  }
  std::unique_ptr<ChatApp> app;
  vesk_ui::ShotFrame frame;
};

TEST(DrawFrame, DemoWindowRecordsTheHeaderButtonsAndOwnMessages) {
  DemoFrame demo;
  apply_scene(*demo.app, "compact");
  demo.render();
  const auto call = demo.regions_of<hit::StartCall>();
  const auto people = demo.regions_of<hit::ToggleRightFlap>();
  ASSERT_EQ(call.size(), 1u);
  ASSERT_EQ(people.size(), 1u);
  EXPECT_NEAR(call[0].x1, 1280 - demo.frame.theme().pane_inset, 1e-9);
  EXPECT_LE(people[0].x1, call[0].x0);
  const auto own = demo.regions_of<hit::MessageMenu>();
  ASSERT_FALSE(own.empty());
  EXPECT_TRUE(std::any_of(own.begin(), own.end(), [](const HitRegion& r) {
    return std::get<hit::MessageMenu>(r.target).msg == "m_me2";
  }));
  // Message regions stay inside the list: the header's buttons are never covered.
  for (const HitRegion& r : own) {
    EXPECT_GE(r.y0, header_rect(*demo.app).y1);
    EXPECT_GE(r.x0, content_left(*demo.app));
  }
  EXPECT_TRUE(demo.regions_of<hit::Dismiss>().empty());
}

TEST(DrawFrame, ScrolledBackListShowsTheJumpPill) {
  DemoFrame demo;
  apply_scene(*demo.app, "history");
  demo.render();
  ASSERT_FALSE(demo.app->follow_latest);
  const auto pill = demo.regions_of<hit::JumpToLatest>();
  ASSERT_EQ(pill.size(), 1u);
  EXPECT_DOUBLE_EQ(pill[0].y1 - pill[0].y0, 44);
  EXPECT_DOUBLE_EQ(pill[0].x1, content_right(*demo.app) - 16);
}

TEST(DrawFrame, ScrimOfAnOverlayPaneCatchesPressesOnlyWhileItIsOut) {
  struct Case {
    std::string name;
    std::optional<bool> override_shown;
    double value;
    bool dismiss;
  };
  const std::vector<Case> cases = {
      {"details shown", true, 1.0, true},
      {"details sliding out", false, 0.5, true},
      {"details gone", false, 0.0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DemoFrame demo({900, 700});  // compact details, docked navigation
    apply_scene(*demo.app, "compact");
    demo.frame.sync(*demo.app);
    ASSERT_FALSE(demo.frame.layout(*demo.app));
    // The first frame settles the panes at their targets; steer them after it.
    demo.frame.draw(*demo.app);
    demo.app->details_anim.user_override = c.override_shown;
    demo.app->details_anim.value = c.value;
    demo.frame.draw(*demo.app);
    ASSERT_TRUE(demo.app->compact_details);
    ASSERT_FALSE(demo.app->compact_nav);
    const auto dismiss = demo.regions_of<hit::Dismiss>();
    EXPECT_EQ(!dismiss.empty(), c.dismiss);
    if (c.dismiss) {
      // Pushed after the header: the scrim is what a press on the header's button hits.
      const HitRegion call = demo.regions_of<hit::StartCall>().at(0);
      EXPECT_EQ(hit_target_at(demo.app->hit_regions, call.x0 + 1, call.y0 + 1),
                HitTarget{hit::Dismiss{}});
      EXPECT_TRUE(demo.app->animation_requested || c.value == 1.0);
    } else {
      const HitRegion call = demo.regions_of<hit::StartCall>().at(0);
      EXPECT_EQ(hit_target_at(demo.app->hit_regions, call.x0 + 1, call.y0 + 1),
                HitTarget{hit::StartCall{}});
    }
  }
}

TEST(DrawFrame, HeaderHasNoButtonsWhenTheLocalUserIsNotAmongThePeople) {
  DemoFrame demo;
  apply_scene(*demo.app, "compact");
  demo.app->local_person = {"u_stranger", "Stranger", "ST", 2};
  demo.render();
  EXPECT_TRUE(demo.regions_of<hit::StartCall>().empty());
  EXPECT_TRUE(demo.regions_of<hit::ToggleRightFlap>().empty());
  EXPECT_TRUE(demo.regions_of<hit::MessageMenu>().empty());  // none of the messages is theirs
}

TEST(DrawFrame, EachFrameReplacesTheHitList) {
  DemoFrame demo;
  apply_scene(*demo.app, "compact");
  demo.render();
  const std::size_t first = demo.app->hit_regions.size();
  ASSERT_GT(first, 0u);
  demo.frame.draw(*demo.app);
  EXPECT_EQ(demo.app->hit_regions.size(), first);
}

}  // namespace
}  // namespace chat::app
