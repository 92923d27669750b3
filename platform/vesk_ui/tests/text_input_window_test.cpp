// One editing session in the real window: xdotool types, selects, copies and pastes through the
// X server, and the text the input ends with is checked.

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "vesk_ui/path.hpp"
#include "vesk_ui/sdl_window.hpp"
#include "vesk_ui/text_input.hpp"
#include "xvfb_support.hpp"

namespace vesk_ui {
namespace {

using namespace std::chrono_literals;
using testing::run_tool;
using testing::ScopedEnv;
using testing::SteadyClock;
using testing::wait_until;
using testing::XvfbServer;

constexpr const char* kTitle = "text-input-window";
const Rect kBox{20, 20, 500, 140};

// A window holding one focused multi-line input, as a composer would.
class EditorWidget final : public Widget {
 public:
  EditorWidget() : input_(TextInput::local()) {
    input_.set_multiline(true);
    input_.set_show_placeholder(true);
    input_.set_placeholder("Type here");
    input_.apply_layout_external(kBox);
    input_.set_focused(true);
  }

  void draw(Scene& scene, const Rect& bounds, TextRenderer& text, const Theme& theme,
            DrawCtx& ctx) override {
    scene.fill(ctx.transform, Path::rect(bounds), theme.window_bg);
    scene.fill(ctx.transform, Path::rounded_rect(kBox, 12), theme.field_bg);
    input_.draw(scene, text, theme, ctx);
    std::lock_guard lock(mutex_);
    caret_ = input_.caret_rect();
    ++draws;
  }

  void handle_event(const InputEvent& event, const Modifiers& modifiers, crdt::Document&,
                    double scale_factor, ToolkitCtx& ctx, bool& handled) override {
    handled = input_.handle_event(event, modifiers, scale_factor, ctx) || handled;
    std::lock_guard lock(mutex_);
    if (input_.take_submit()) ++submits_;
    text_ = input_.text();
    selection_ = input_.selection();
  }

  struct Seen {
    std::string text;
    std::optional<std::pair<std::size_t, std::size_t>> selection;
    int submits = 0;
    std::optional<Rect> caret;
  };
  Seen seen() {
    std::lock_guard lock(mutex_);
    return {text_, selection_, submits_, caret_};
  }
  std::atomic<int> draws{0};

 private:
  TextInput input_;
  std::mutex mutex_;
  std::string text_;
  std::optional<std::pair<std::size_t, std::size_t>> selection_;
  int submits_ = 0;
  std::optional<Rect> caret_;
};

void push_quit() {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

TEST(TextInputWindow, TypesSelectsCopiesAndPastesUnderXvfb) {
  if (!testing::on_path("xdotool")) {
    GTEST_SKIP() << "xdotool is not installed; the window editing session needs it and Xvfb";
  }
  XvfbServer server;
  if (!server.ok()) {
    GTEST_SKIP() << "no virtual display (" << server.problem()
                 << "); the window editing session needs Xvfb";
  }
  ScopedEnv display("DISPLAY", server.display());
  ScopedEnv driver_env("SDL_VIDEODRIVER", "x11");

  auto xdotool = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return run_tool(args, server.display()).status == 0;
  };
  EditorWidget widget;
  crdt::Document doc;
  sdl::WindowSettings settings;
  settings.title = kTitle;
  settings.width = 520;
  settings.height = 160;
  std::atomic<bool> returned{false};
  std::string failure;
  EditorWidget::Seen end;

  std::thread driver([&] {
    std::string window;
    wait_until(
        [&] {
          auto r = run_tool(
              {"xdotool", "search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"},
              server.display());
          if (auto id = r.status == 0 ? testing::last_window_id(r.out) : std::nullopt) {
            window = std::to_string(*id);
          }
          return !window.empty();
        },
        20s);
    // Each step: what xdotool does, then the text the input must reach.
    auto step = [&](std::vector<std::string> args, const std::function<bool()>& reached,
                    const std::string& what) {
      if (!failure.empty()) return;
      if (!xdotool(std::move(args))) {
        failure = "xdotool failed: " + what;
      } else if (!wait_until(reached)) {
        failure = what + ": the input holds \"" + widget.seen().text + "\"";
      }
    };
    auto text_is = [&](std::string want) {
      return [&widget, want] { return widget.seen().text == want; };
    };
    if (window.empty() || !wait_until([&] { return widget.draws > 0; }, 20s)) {
      failure = "the window did not appear and paint within 20 s";
    }
    // Keys go to the window under the pointer (there is no window manager to focus it). A window
    // that has just painted may not be viewable to xdotool yet: the first click is retried.
    if (failure.empty() && !wait_until([&] {
          return xdotool({"mousemove", "--window", window, "60", "80"});
        })) {
      failure = "xdotool could not move the pointer into the window";
    }
    step(
        {"mousemove", "--window", window, "60", "80", "click", "1"},
        [&] { return widget.seen().caret.has_value(); }, "click into the input");
    step({"type", "--delay", "15", "hello world"}, text_is("hello world"), "typing");
    step(
        {"key", "ctrl+shift+Left"},
        [&] {
          return widget.seen().selection == std::pair<std::size_t, std::size_t>{6, 11};
        },
        "selecting the last word");
    step({"key", "ctrl+c", "End", "ctrl+v"}, text_is("hello worldworld"), "copy and paste");
    step({"key", "shift+Return"}, text_is("hello worldworld\n"), "Shift+Enter");
    step({"type", "--delay", "15", "bye"}, text_is("hello worldworld\nbye"), "typing a line");
    step(
        {"key", "Return"}, [&] { return widget.seen().submits == 1; }, "Enter submits");
    step({"key", "ctrl+Home", "ctrl+shift+Right", "ctrl+x"}, text_is(" worldworld\nbye"),
         "cutting the first word");
    step({"key", "ctrl+End", "ctrl+v"}, text_is(" worldworld\nbyehello"), "pasting it at the end");
    // A double click on the last word selects it; typing replaces it.
    if (failure.empty()) {
      wait_until([&] { return widget.seen().caret.has_value(); });
      Rect caret = *widget.seen().caret;
      int x = static_cast<int>(caret.x0) - 12, y = static_cast<int>((caret.y0 + caret.y1) / 2);
      step(
          {"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
           "--repeat", "2", "--delay", "40", "1"},
          [&] { return widget.seen().selection.has_value(); }, "double click on a word");
      step({"type", "--delay", "15", "ciao"}, text_is(" worldworld\nciao"), "typing over it");
    }
    end = widget.seen();
    push_quit();
    if (!wait_until([&] { return returned.load(); }, 20s)) failure += "; the window did not close";
  });
  std::optional<sdl::WindowError> error = sdl::run_window(settings, widget, doc, nullptr);
  returned = true;
  driver.join();
  ASSERT_FALSE(error.has_value()) << error->message;
  ASSERT_EQ(failure, "");
  EXPECT_EQ(end.text, " worldworld\nciao");
  EXPECT_EQ(end.submits, 1);
  EXPECT_EQ(end.selection, std::nullopt);
}

}  // namespace
}  // namespace vesk_ui
