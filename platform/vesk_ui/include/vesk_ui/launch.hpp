#pragma once
// Starting an application: the program describes itself and hands control to the toolkit, which
// reads its own command line, then opens the window or renders a screenshot.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "crdt/document.hpp"
#include "vesk_ui/app.hpp"
#include "vesk_ui/persist.hpp"
#include "vesk_ui/shot_frame.hpp"
#include "vesk_ui/widget.hpp"

namespace vesk_ui {

struct WindowSize {
  std::uint32_t width = 1280;
  std::uint32_t height = 800;
};

// Options of the window, in this order.
struct LaunchOptions {
  bool fullscreen = false;
  bool always_on_top = false;
  bool resizable = true;
  bool high_dpi = true;  // draw at the display's pixel density
};

struct LaunchDescription {
  std::string application_id;
  // Names `--list-screenshots` prints; `--screenshot` accepts any name and leaves it to
  // `render_screenshot`.
  std::vector<std::string> screenshot_scenes;

  // The window's root widget.
  std::function<std::unique_ptr<Widget>()> build_app;
  // One screenshot; none on success, else the error text.
  std::function<std::optional<std::string>(const ShotRequest&)> render_screenshot;
  // Registers the program's action types, before the window is built.
  std::function<void(App&)> register_actions;
  std::function<WindowSize()> default_window_size;
  // Whether the window presents in step with the display (vsync).
  std::function<bool()> launch_flag;
  // Opens the document store (persist::open_migrating or persist::open) with the two values
  // given: the actor this session writes as and the store's options.
  std::function<persist::DocumentStore(crdt::ActorId actor, persist::PersistOptions options)>
      open_state;

  LaunchOptions options;
};

namespace launch {

// The whole run for the given arguments (without the program name, which names the window and
// the usage text); returns the exit status. Output for the user goes to `out`, problems to
// `err`.
int run(const LaunchDescription& description, const std::string& program,
        std::span<const std::string> args, std::ostream& out, std::ostream& err);

// Reads the process's own command line and runs; returns when the window was closed (and the
// document persisted) or the screenshot written, exits the process with a non-zero status on
// any failure.
void run_or_exit(const LaunchDescription& description);

}  // namespace launch
}  // namespace vesk_ui
