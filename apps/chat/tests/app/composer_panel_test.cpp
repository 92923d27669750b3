#include "app/composer_panel.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vesk_ui/shot_frame.hpp>

#include "app/attachment_sizes.hpp"
#include "app/chat_view.hpp"
#include "app/composer_geometry.hpp"
#include "app/draw_frame.hpp"
#include "app/screenshot_scenes.hpp"
#include "app/thread_panel.hpp"
#include "app/window_layout.hpp"

namespace chat::app {
namespace {

// A demo window drawn frame by frame, with the window's own permissions kept for the frame.
class PanelFrame {
 public:
  explicit PanelFrame(std::string_view scene, vesk_ui::ShotSize size = {1280, 800},
                      float scale = 1.0f)
      : app(screenshot_app()), frame(vesk_ui::shot_theme({}), size) {
    apply_scene(*app, scene);
    theme = frame.theme();
    theme.theme_scale = scale;
    frame.sync(*app);
    EXPECT_FALSE(frame.layout(*app));
  }
  void draw() {
    vesk_ui::DrawCtx ctx{vesk_ui::Affine::identity(), 1.0, std::chrono::steady_clock::now()};
    draw_window(*app, frame.scene(), app->bounds, text, theme, ctx);
  }
  // The names of the composer targets in recording order.
  std::vector<std::string> composer_targets() const {
    std::vector<std::string> names;
    for (const HitRegion& r : app->hit_regions) {
      const std::string name = hit_target_name(r.target);
      if (name == "FocusMain" || name == "FocusThread" || name == "Attach" || name == "Send" ||
          name == "ComposerEmoji" || name == "CloseThread") {
        names.push_back(name);
      }
    }
    return names;
  }
  const HitRegion* first(const std::string& name) const {
    for (const HitRegion& r : app->hit_regions) {
      if (hit_target_name(r.target) == name) return &r;
    }
    return nullptr;
  }

  std::unique_ptr<ChatApp> app;
  vesk_ui::ShotFrame frame;
  vesk_ui::Theme theme;
  vesk_ui::TextRenderer text;
};

TEST(ComposerPanel, MainComposerBarRecordsItsButtonsAndPlacesTheInput) {
  PanelFrame f("composer");
  f.draw();
  EXPECT_EQ(f.composer_targets(),
            (std::vector<std::string>{"FocusMain", "Attach", "Send", "ComposerEmoji"}));
  const HitRegion* bar = f.first("FocusMain");
  ASSERT_NE(bar, nullptr);
  const Rect expected = composer_rect(*f.app, f.text, f.theme);
  EXPECT_DOUBLE_EQ(bar->x0, expected.x0);
  EXPECT_DOUBLE_EQ(bar->y1, expected.y1);
  // The input lies inside the bar, between the attach and the emoji buttons.
  const Rect box = f.app->composer.rect();
  EXPECT_GT(box.x0, f.first("Attach")->x1);
  EXPECT_LT(box.x1, f.first("ComposerEmoji")->x0);
  EXPECT_GE(box.y0, bar->y0);
  EXPECT_LE(box.y1, bar->y1);
  EXPECT_TRUE(f.app->composer.focused());
  // The emoji picker opens above and left of its button.
  const auto& emoji = std::get<hit::ComposerEmoji>(f.first("ComposerEmoji")->target);
  EXPECT_DOUBLE_EQ(emoji.anchor.x, f.first("ComposerEmoji")->x0 - 140);
  EXPECT_DOUBLE_EQ(emoji.anchor.y, bar->y0 - 8);
}

TEST(ComposerPanel, NoComposerIsFocusedWhileAMessageIsEdited) {
  PanelFrame f("thread");
  f.app->open_thread = "m_concept";
  f.app->details_anim.user_override = true;
  f.app->composer_focus = ComposerFocus::Thread;
  f.draw();
  EXPECT_TRUE(f.app->thread_composer.focused());
  EXPECT_FALSE(f.app->composer.focused());
  f.app->editing_message = "m_me2";
  f.draw();
  EXPECT_FALSE(f.app->thread_composer.focused());
  EXPECT_FALSE(f.app->composer.focused());
}

TEST(ComposerPanel, ViewOnlyUserSeesNoticesInsteadOfComposers) {
  PanelFrame f("thread");
  f.app->open_thread = "m_concept";
  f.app->details_anim.user_override = true;
  f.app->composer.set_focused(true);
  f.app->permissions = vesk_ui::PermissionContext::up_to(1);
  f.draw();
  EXPECT_EQ(f.composer_targets(), std::vector<std::string>{"CloseThread"});
  EXPECT_FALSE(f.app->composer.focused());
  EXPECT_FALSE(f.app->thread_composer.focused());
}

TEST(ComposerPanel, ThreadPanelHasItsOwnComposerWithoutAttach) {
  PanelFrame f("thread");
  f.app->open_thread = "m_concept";
  f.app->details_anim.user_override = true;
  f.draw();
  EXPECT_EQ(f.composer_targets(),
            (std::vector<std::string>{"FocusMain", "Attach", "Send", "ComposerEmoji", "CloseThread",
                                      "FocusThread", "Send", "ComposerEmoji"}));
  const Rect pane = details_rect(*f.app);
  const HitRegion* bar = f.first("FocusThread");
  ASSERT_NE(bar, nullptr);
  EXPECT_DOUBLE_EQ(bar->x0, pane.x0 + 12);
  EXPECT_DOUBLE_EQ(bar->x1, pane.x1 - 12);
  EXPECT_DOUBLE_EQ(bar->y1, pane.y1 - 12);
  EXPECT_DOUBLE_EQ(bar->y1 - bar->y0, 76);
  // Closed, the panel and its regions are gone.
  f.app->open_thread.reset();
  f.draw();
  EXPECT_EQ(f.first("CloseThread"), nullptr);
  EXPECT_EQ(f.first("FocusThread"), nullptr);
}

TEST(ComposerPanel, CloseButtonSitsTopLeftOnlyInACompactWindowUpToScaleOnePointTwoFive) {
  struct Case {
    float scale;
    bool top_left;
  };
  for (const Case& c : {Case{1.25f, true}, Case{1.5f, false}}) {
    // Narrow enough at either scale that the details pane overlays the conversation.
    PanelFrame f("thread-narrow", {900, 700}, c.scale);
    f.app->open_thread = "m_concept";
    f.app->details_anim.user_override = true;
    f.draw();
    ASSERT_TRUE(f.app->compact_details);
    const HitRegion* close = f.first("CloseThread");
    ASSERT_NE(close, nullptr) << c.scale;
    const Rect pane = details_rect(*f.app);
    if (c.top_left) {
      EXPECT_DOUBLE_EQ(close->x0, pane.x0 + 12) << c.scale;
      EXPECT_DOUBLE_EQ(close->x1, pane.x0 + 78) << c.scale;
    } else {
      EXPECT_DOUBLE_EQ(close->x1, pane.x1 - 12) << c.scale;
      EXPECT_NEAR(close->x1 - close->x0, 44 * 1.2, 1e-9) << c.scale;
    }
  }
}

TEST(ComposerPanel, ThreadMessagesGrowWithTextAttachmentAndReactions) {
  PanelFrame f("thread");
  const vesk_ui::DrawCtx ctx{vesk_ui::Affine::identity(), 1.0, std::chrono::steady_clock::now()};
  doc::ChatMessage m;
  m.author = "u_me";
  m.ts = 1782477600;
  const double empty =
      draw_thread_message(*f.app, f.frame.scene(), f.text, f.theme, ctx, m, 0, 40, 200, 100);
  EXPECT_DOUBLE_EQ(empty, 100 + 19 + 10);
  m.text = "hello";
  const double with_text =
      draw_thread_message(*f.app, f.frame.scene(), f.text, f.theme, ctx, m, 0, 40, 200, 100);
  EXPECT_DOUBLE_EQ(with_text, empty + f.text.measure("hello", 14, 0, 200.0).height + 4);
  m.reactions.push_back({"👍", {"u_me", "u_ann"}});
  const double with_chips =
      draw_thread_message(*f.app, f.frame.scene(), f.text, f.theme, ctx, m, 0, 40, 200, 100);
  EXPECT_DOUBLE_EQ(with_chips, with_text + 28);
  m.attachment = doc::Attachment{doc::Attachment::File{"notes.md", std::string(64, 'a'), 2048}};
  const double with_file =
      draw_thread_message(*f.app, f.frame.scene(), f.text, f.theme, ctx, m, 0, 40, 200, 100);
  EXPECT_DOUBLE_EQ(with_file, with_chips + attachment_block_height(*m.attachment, 200, 1.0));
}

}  // namespace
}  // namespace chat::app
