#pragma once
// The interactive window on SDL2: one window, its events delivered to the root widget and its
// frames painted by Cairo into a streaming texture.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "crdt/document.hpp"
#include "vesk_ui/theme.hpp"
#include "vesk_ui/widget.hpp"

namespace vesk_ui::sdl {

struct WindowSettings {
  std::string title = "window";
  std::uint32_t width = 1280;  // window units; the drawable may hold more pixels (HiDPI)
  std::uint32_t height = 800;
  bool fullscreen = false;
  bool always_on_top = false;
  bool resizable = true;
  bool high_dpi = true;
  bool vsync = true;
  Theme theme = Theme::dark();
  // Frames are at least this far apart (displays without vsync, pointer floods).
  std::chrono::microseconds frame_interval{16667};
  // With nothing asked for, a frame still runs this often, so that results of background work
  // reach `sync`.
  std::chrono::milliseconds idle_interval{500};
};

// What one run of the window did.
struct WindowRun {
  std::uint64_t frames = 0;
  std::uint64_t events = 0;    // events delivered to the root widget
  std::uint64_t persists = 0;  // times the document was handed to `persist`
};

// Called after every frame that changed the document, and once more when the window closes.
using PersistFn = std::function<void()>;

struct WindowError {
  std::string message;
};

// Opens the window, runs it until it is closed, and returns. An error when SDL could not open a
// window; nothing was delivered to the widget then. `run`, when given, receives the counts.
std::optional<WindowError> run_window(const WindowSettings& settings, Widget& root,
                                      crdt::Document& doc, const PersistFn& persist,
                                      WindowRun* run = nullptr);

}  // namespace vesk_ui::sdl
