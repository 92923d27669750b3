#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <filesystem>

#include "app/launch_callbacks.hpp"
#include "app/screenshot_scenes.hpp"
#include "scoped_env.hpp"
#include "temp_dir.hpp"

namespace chat::app {
namespace {

namespace fs = std::filesystem;

using vesk_ui::testing::ScopedEnv;
using vesk_ui::testing::TempDir;

TEST(LaunchCallbacks, DescriptionListsTheScenesAndTheWindowOptions) {
  const vesk_ui::LaunchDescription d = launch_description();
  EXPECT_FALSE(d.application_id.empty());
  ASSERT_EQ(d.screenshot_scenes.size(), 21u);
  EXPECT_EQ(d.screenshot_scenes.front(), "narrow");
  EXPECT_EQ(d.screenshot_scenes[2], "compact");
  EXPECT_EQ(d.screenshot_scenes.back(), "floating-call-returned");
  EXPECT_FALSE(d.options.fullscreen);
  EXPECT_FALSE(d.options.always_on_top);
  EXPECT_TRUE(d.options.resizable);
  EXPECT_TRUE(d.options.high_dpi);
  ASSERT_TRUE(d.default_window_size && d.launch_flag && d.build_app && d.render_screenshot &&
              d.open_state && d.register_actions);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(d.default_window_size().width, 1280u);
    EXPECT_EQ(d.default_window_size().height, 800u);
    EXPECT_TRUE(d.launch_flag());
  }
}

TEST(LaunchCallbacks, RegistersTheChatActionTypeAlone) {
  vesk_ui::App app("test.app");
  register_actions(app);
  const vesk_actions::ActionRegistry& registry = app.action_registry();
  EXPECT_NE(registry.find("chat.action"), nullptr);
  EXPECT_EQ(registry.size(), 1u);
}

TEST(LaunchCallbacks, StateOpensTheDocumentFileInTheDataDirectory) {
  const TempDir dir;
  ScopedEnv data("VESK_CHAT_DATA", dir.path().c_str());
  vesk_ui::persist::DocumentStore store = open_state(crdt::ActorId{}, {});
  ASSERT_TRUE(store.path());
  EXPECT_EQ(*store.path(), dir.path() / "workspace.automerge");
}

TEST(LaunchCallbacks, WithoutADataDirectoryTheDocumentStaysInMemory) {
  ScopedEnv data("VESK_CHAT_DATA", nullptr);
  ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  vesk_ui::persist::DocumentStore store = open_state(crdt::ActorId{}, {});
  EXPECT_FALSE(store.path());
}

struct PngSize {
  int width = 0;
  int height = 0;
};

PngSize png_size(const fs::path& path) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  PngSize size{cairo_image_surface_get_width(s), cairo_image_surface_get_height(s)};
  cairo_surface_destroy(s);
  return size;
}

TEST(RenderScreenshot, WritesTheSceneAtTheRequestedSize) {
  const TempDir dir;
  struct Case {
    std::optional<std::string> scene;
    std::optional<vesk_ui::ShotSize> size;
    PngSize expected;
  };
  const std::vector<Case> cases = {
      {"compact", std::nullopt, {1280, 800}},
      {"history", vesk_ui::ShotSize{640, 480}, {640, 480}},
      {std::nullopt, std::nullopt, {1280, 800}},  // no name: the default set-up
  };
  for (const Case& c : cases) {
    const fs::path out = dir.path() / (c.scene.value_or("default") + ".png");
    vesk_ui::ShotRequest request;
    request.output = out.string();
    request.scene = c.scene;
    request.size = c.size;
    testing::internal::CaptureStdout();
    EXPECT_EQ(render_screenshot(request), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "chat: wrote shot to " + out.string() + "\n");
    const PngSize size = png_size(out);
    EXPECT_EQ(size.width, c.expected.width);
    EXPECT_EQ(size.height, c.expected.height);
  }
}

TEST(RenderScreenshot, RefusesARequestWithoutAnOutput) {
  vesk_ui::ShotRequest request;
  request.scene = "compact";
  EXPECT_EQ(render_screenshot(request), "missing screenshot output");
}

TEST(ScreenshotScenes, ScenesPrepareTheWindow) {
  auto history = screenshot_app();
  apply_scene(*history, "history");
  EXPECT_EQ(history->open_thread, std::nullopt);
  EXPECT_DOUBLE_EQ(history->scroll_offset, 220);
  EXPECT_FALSE(history->follow_latest);
  EXPECT_EQ(history->details_anim.user_override, false);

  auto narrow = screenshot_app();
  apply_scene(*narrow, "narrow");
  EXPECT_EQ(narrow->nav_anim.user_override, false);
  EXPECT_DOUBLE_EQ(narrow->nav_anim.value, 0);

  auto thread = screenshot_app();
  apply_scene(*thread, "thread-narrow");
  EXPECT_EQ(thread->open_thread, "m_concept");
  EXPECT_EQ(thread->details_anim.user_override, true);
  EXPECT_DOUBLE_EQ(thread->details_anim.value, 1);

  auto starter = screenshot_app();
  apply_scene(*starter, "starter");
  EXPECT_TRUE(starter->seed_starter);

  auto other = screenshot_app();
  apply_scene(*other, "no-such-scene");
  EXPECT_EQ(other->open_thread, std::nullopt);
  EXPECT_EQ(other->details_anim.user_override, false);
}

}  // namespace
}  // namespace chat::app
