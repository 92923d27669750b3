#include "vesk_ui/launch.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "png_reader.hpp"
#include "probe_widget.hpp"
#include "temp_dir.hpp"
#include "vesk_ui/launch_cli.hpp"

namespace vesk_ui {
namespace {

using testing::kProbeRed;
using testing::kProbeRedRect;
using testing::near;
using testing::PngImage;
using testing::ProbeWidget;
using testing::TempDir;

TEST(LaunchCommandLine, ChoosesTheModeAndFillsTheScreenshotRequest) {
  struct Case {
    std::vector<std::string> args;
    std::string mode;  // window, list, help or shot
    std::optional<std::string> scene = std::nullopt;
    std::optional<std::string> output = std::nullopt;
    std::optional<ShotSize> size = std::nullopt;
    ThemeKind theme = ThemeKind::Dark;
  };
  const Case cases[] = {
      {{}, "window"},
      {{"--list-screenshots"}, "list"},
      {{"--help"}, "help"},
      {{"-h"}, "help"},
      {{"--screenshot", "compact", "--output", "/tmp/a.png"}, "shot", "compact", "/tmp/a.png"},
      {{"--output", "o.png", "--screenshot", "history", "--size", "640x480"},
       "shot",
       "history",
       "o.png",
       ShotSize{640, 480}},
      {{"--screenshot=people", "--output=p.png", "--size=1X2", "--theme=light"},
       "shot",
       "people",
       "p.png",
       ShotSize{1, 2},
       ThemeKind::Light},
      // The scene name is the program's business: any name, also empty; the output too.
      {{"--screenshot", "floating-call-collapse-250"}, "shot", "floating-call-collapse-250"},
      {{"--screenshot", ""}, "shot", ""},
      {{"--screenshot", "x", "--size", "16384x16384", "--theme", "dark"},
       "shot",
       "x",
       std::nullopt,
       ShotSize{16384, 16384}},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += "[" + a + "]";
    SCOPED_TRACE(joined);
    auto parsed = launch::parse_command_line(c.args);
    ASSERT_TRUE(std::holds_alternative<launch::Command>(parsed))
        << std::get<launch::UsageError>(parsed).message;
    const launch::Command& command = std::get<launch::Command>(parsed);
    if (c.mode == "window") {
      EXPECT_TRUE(std::holds_alternative<launch::OpenWindow>(command));
    } else if (c.mode == "list") {
      EXPECT_TRUE(std::holds_alternative<launch::ListScreenshots>(command));
    } else if (c.mode == "help") {
      EXPECT_TRUE(std::holds_alternative<launch::ShowHelp>(command));
    } else {
      const auto* shot = std::get_if<launch::RenderScreenshot>(&command);
      ASSERT_NE(shot, nullptr);
      EXPECT_EQ(shot->request.scene, c.scene);
      EXPECT_EQ(shot->request.output, c.output);
      EXPECT_EQ(shot->request.size, c.size);
      EXPECT_EQ(shot->request.theme.kind, c.theme);
    }
  }
}

TEST(LaunchCommandLine, RefusesWhatItDoesNotKnowWithAReason) {
  struct Case {
    std::vector<std::string> args;
    std::string said;  // part of the message
  };
  const Case cases[] = {
      {{"--frobnicate"}, "unknown option \"--frobnicate\""},
      {{"compact"}, "unknown option \"compact\""},
      {{"--screenshot"}, "--screenshot needs a value"},
      {{"--screenshot", "a", "--output"}, "--output needs a value"},
      {{"--screenshot", "a", "--output", ""}, "--output needs a file path"},
      {{"--screenshot", "a", "--screenshot", "b"}, "more than once"},
      {{"--output", "a.png"}, "need --screenshot"},
      {{"--size", "10x10"}, "need --screenshot"},
      {{"--list-screenshots", "--screenshot", "a"}, "takes no other option"},
      {{"--list-screenshots=yes"}, "unknown option"},
      {{"--screenshot", "a", "--theme", "pink"}, "--theme takes dark or light"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    auto parsed = launch::parse_command_line(c.args);
    ASSERT_TRUE(std::holds_alternative<launch::UsageError>(parsed));
    EXPECT_NE(std::get<launch::UsageError>(parsed).message.find(c.said), std::string::npos)
        << std::get<launch::UsageError>(parsed).message;
  }
}

TEST(LaunchCommandLine, SizesMustBeTwoSidesWithinTheLimit) {
  const char* bad[] = {"640",     "x480",   "640x",     "0x10",   "10x0",        "-1x10",
                       "10x-1",   "1e3x10", "10x10x10", " 10x10", "16385x10",    "10x99999",
                       "10 x 10", "axb",    "",         "x",      "4294967297x1"};
  for (const char* size : bad) {
    SCOPED_TRACE(size);
    std::vector<std::string> args = {"--screenshot", "s", "--size", size};
    auto parsed = launch::parse_command_line(args);
    ASSERT_TRUE(std::holds_alternative<launch::UsageError>(parsed));
    EXPECT_NE(std::get<launch::UsageError>(parsed).message.find("--size"), std::string::npos);
  }
}

// A program as the launcher sees it: scene names and a screenshot renderer over the probe.
struct ProbeProgram {
  std::vector<ShotRequest> requests;
  std::optional<std::string> fail_with;

  LaunchDescription description() {
    LaunchDescription d;
    d.application_id = "org.example.Probe";
    d.screenshot_scenes = {"narrow", "history", "compact"};
    d.render_screenshot = [this](const ShotRequest& request) -> std::optional<std::string> {
      requests.push_back(request);
      if (fail_with) return fail_with;
      if (!request.output) return "missing screenshot output";
      ProbeWidget widget;
      ShotFrame frame(shot_theme(request.theme), request.size.value_or(ShotSize{1280, 800}));
      frame.sync(widget);
      if (auto error = frame.layout(widget)) return error->display();
      frame.draw(widget);
      frame.draw_floating_surfaces(widget);
      return frame.write_png(*request.output);
    };
    return d;
  }
};

struct RunResult {
  int status;
  std::string out, err;
};

RunResult run(const LaunchDescription& d, std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = launch::run(d, "probe", args, out, err);
  return {status, out.str(), err.str()};
}

TEST(Launch, ListsTheSceneNamesOnePerLine) {
  ProbeProgram program;
  RunResult r = run(program.description(), {"--list-screenshots"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "narrow\nhistory\ncompact\n");
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(program.requests.empty());
}

TEST(Launch, RendersTheNamedSceneThroughTheProgramsRenderer) {
  TempDir dir;
  ProbeProgram program;
  std::string out = dir.file("shot.png");
  RunResult r =
      run(program.description(), {"--screenshot", "compact", "--output", out, "--size", "400x300"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(program.requests.size(), 1u);
  EXPECT_EQ(program.requests[0].scene, "compact");
  PngImage png(out);
  ASSERT_TRUE(png.ok());
  EXPECT_EQ(png.width(), 400);
  EXPECT_EQ(png.height(), 300);
  Point red = kProbeRedRect.center();
  EXPECT_TRUE(near(png.pixel(static_cast<int>(red.x), static_cast<int>(red.y)), kProbeRed));
}

TEST(Launch, FailuresEndWithAStatusAndAMessage) {
  struct Case {
    std::vector<std::string> args;
    std::optional<std::string> renderer_fails_with;
    int status;
    std::string said;
  };
  const Case cases[] = {
      {{"--bogus"}, std::nullopt, 2, "unknown option \"--bogus\""},
      {{"--screenshot", "compact"}, std::nullopt, 1, "missing screenshot output"},
      {{"--screenshot", "compact", "--output", "o.png"}, "scene exploded", 1, "scene exploded"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    ProbeProgram program;
    program.fail_with = c.renderer_fails_with;
    RunResult r = run(program.description(), c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    if (c.status == 2) {
      EXPECT_NE(r.err.find("usage: probe"), std::string::npos) << r.err;
    }
  }
}

TEST(Launch, AProgramWithoutARendererRefusesScreenshots) {
  LaunchDescription d;
  RunResult r = run(d, {"--screenshot", "x", "--output", "x.png"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("renders no screenshots"), std::string::npos);
}

TEST(LaunchDeathTest, RunOrExitReadsTheProcessesOwnCommandLineAndExitsOnAnError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ProbeProgram program;
  LaunchDescription d = program.description();
  // The test process runs with the test framework's options, which the launcher does not know.
  EXPECT_EXIT(launch::run_or_exit(d), ::testing::ExitedWithCode(2),
              "unknown option \"--gtest[^\n]*\n(.|\n)*usage: vesk_ui_tests");
}

}  // namespace
}  // namespace vesk_ui
