#pragma once

#include <chrono>
#include <optional>

namespace chat::app {

// How far a side pane is shown (0 hidden, 1 shown), moving towards its target frame by frame.
struct PaneAnimation {
  std::chrono::steady_clock::time_point last_tick;
  double value = 0;
  bool shown = false;
  std::optional<bool> user_override;
  std::optional<bool> last_compact;
};

using PaneClock = std::chrono::steady_clock;

// Where the pane is heading: the user's choice when there is one, else its default unless
// the window is compact.
bool pane_target(const PaneAnimation& anim, bool compact);

PaneAnimation new_pane_animation(bool shown, PaneClock::time_point now = PaneClock::now());
// Follows the window's compact flag. The first call settles the value at once; crossing a
// breakpoint later drops the user's override and lets the ticks animate.
void set_compact(PaneAnimation& anim, bool compact);
// Advances the value by the time since the last tick (at most 0.1 s); true while it moves.
bool tick(PaneAnimation& anim, bool compact, PaneClock::time_point now = PaneClock::now());
// The value through an ease-out cubic.
double eased(const PaneAnimation& anim);

}  // namespace chat::app
