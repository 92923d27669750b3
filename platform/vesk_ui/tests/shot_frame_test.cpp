#include "vesk_ui/shot_frame.hpp"

#include <gtest/gtest.h>

#include <string>

#include "png_reader.hpp"
#include "probe_widget.hpp"
#include "temp_dir.hpp"

namespace vesk_ui {
namespace {

using testing::kProbeCircleX;
using testing::kProbeCircleY;
using testing::kProbeGreen;
using testing::kProbeGround;
using testing::kProbeRed;
using testing::kProbeRedRect;
using testing::near;
using testing::PngImage;
using testing::ProbeWidget;
using testing::TempDir;

// Pixels in a box that are not the ground colour: where text was drawn.
int inked_pixels(const PngImage& png, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (!near(png.pixel(x, y), kProbeGround, 0.1f)) ++n;
  return n;
}

TEST(ShotFrame, RendersTheWidgetIntoAPngOfTheRequestedSize) {
  struct Case {
    ShotSize size;
    ThemeKind theme;
  };
  const Case cases[] = {{{320, 200}, ThemeKind::Dark},
                        {{640, 480}, ThemeKind::Light},
                        {{1280, 800}, ThemeKind::Dark},
                        {{333, 1001}, ThemeKind::Dark}};
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.size.width) + "x" + std::to_string(c.size.height));
    ProbeWidget widget;
    ShotFrame frame(shot_theme({c.theme}), c.size);
    frame.sync(widget);
    ASSERT_FALSE(frame.layout(widget).has_value());
    frame.draw(widget);
    frame.draw_floating_surfaces(widget);
    std::string path = dir.file("shot.png");
    ASSERT_FALSE(frame.write_png(path).has_value());

    // The widget ran once on a fresh document, laid out over the whole image, allowed to write.
    EXPECT_EQ(widget.syncs, 1);
    EXPECT_EQ(widget.draws, 1);
    EXPECT_EQ(widget.first_sync_keys, 0u);
    EXPECT_TRUE(widget.may_write);
    EXPECT_EQ(widget.present_users, 0u);
    EXPECT_DOUBLE_EQ(widget.drawn_bounds.x1, c.size.width);
    EXPECT_DOUBLE_EQ(widget.drawn_bounds.y1, c.size.height);
    EXPECT_DOUBLE_EQ(widget.widget_bounds().x1, c.size.width);
    EXPECT_DOUBLE_EQ(widget.drawn_scale, 1.0);

    PngImage png(path);
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(png.width(), static_cast<int>(c.size.width));
    EXPECT_EQ(png.height(), static_cast<int>(c.size.height));
    Point red = kProbeRedRect.center();
    EXPECT_TRUE(near(png.pixel(static_cast<int>(red.x), static_cast<int>(red.y)), kProbeRed));
    EXPECT_TRUE(near(png.pixel(static_cast<int>(kProbeCircleX), static_cast<int>(kProbeCircleY)),
                     kProbeGreen));
    EXPECT_TRUE(
        near(png.pixel(static_cast<int>(c.size.width) - 2, static_cast<int>(c.size.height) - 2),
             kProbeGround));
    // Just outside the red rectangle's corner: ground, not red.
    EXPECT_TRUE(near(
        png.pixel(static_cast<int>(kProbeRedRect.x1) + 2, static_cast<int>(kProbeRedRect.y1) + 2),
        kProbeGround));
    EXPECT_GT(inked_pixels(png, 20, 100, 160, 135), 100) << "the text left no ink";
  }
}

TEST(ShotFrame, SidesAreKeptWithinWhatCanBeAllocated) {
  struct Case {
    ShotSize asked, got;
  };
  const Case cases[] = {{{0, 0}, {1, 1}},
                        {{kMaxShotSide + 1, 3}, {kMaxShotSide, 3}},
                        {{7, 4000000000u}, {7, kMaxShotSide}}};
  for (const Case& c : cases) {
    ShotFrame frame(shot_theme({}), c.asked);
    EXPECT_EQ(frame.size(), c.got);
    EXPECT_EQ(frame.scene().width(), static_cast<int>(c.got.width));
    EXPECT_EQ(frame.scene().height(), static_cast<int>(c.got.height));
  }
}

// Paints nothing of its own.
class BlankWidget final : public Widget {
 public:
  void draw(Scene&, const Rect&, TextRenderer&, const Theme&, DrawCtx&) override {}
};

TEST(ShotFrame, WhatTheWidgetLeavesUnpaintedIsTheThemesWindowGround) {
  TempDir dir;
  for (ThemeKind kind : {ThemeKind::Dark, ThemeKind::Light}) {
    BlankWidget widget;
    ShotFrame frame(shot_theme({kind}), {64, 48});
    frame.sync(widget);
    ASSERT_FALSE(frame.layout(widget).has_value());
    frame.draw(widget);
    std::string path = dir.file("blank.png");
    ASSERT_FALSE(frame.write_png(path).has_value());
    PngImage png(path);
    ASSERT_TRUE(png.ok());
    Color want = (kind == ThemeKind::Dark ? Theme::dark() : Theme::light()).window_bg;
    for (auto [x, y] : {std::pair{0, 0}, std::pair{63, 47}, std::pair{30, 20}}) {
      EXPECT_TRUE(near(png.pixel(x, y), want.with_alpha(1.0f))) << x << "," << y;
    }
  }
  EXPECT_FALSE(near(Theme::dark().window_bg, Theme::light().window_bg)) << "themes must differ";
}

// Returns a node the tree does not have.
class BrokenLayoutWidget final : public Widget {
 public:
  layout::NodeId build_layout(layout::LayoutTree&, WidgetRegistry&) override { return 41; }
  void draw(Scene&, const Rect&, TextRenderer&, const Theme&, DrawCtx&) override {}
};

TEST(ShotFrame, ALayoutFailureIsReportedAsText) {
  BrokenLayoutWidget widget;
  ShotFrame frame(shot_theme({}), {100, 100});
  frame.sync(widget);
  std::optional<LayoutError> error = frame.layout(widget);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->display().find("41"), std::string::npos) << error->display();
}

TEST(ShotFrame, AnUnwritablePathIsAnError) {
  ShotFrame frame(shot_theme({}), {10, 10});
  std::optional<std::string> error = frame.write_png("/nonexistent-dir/x/shot.png");
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("/nonexistent-dir/x/shot.png"), std::string::npos);
}

}  // namespace
}  // namespace vesk_ui
