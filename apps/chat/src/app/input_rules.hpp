#pragma once

// The small decisions of input handling that depend on numbers only: keyboard focus cycling,
// wheel distances and the conversation-row swipe.

#include <cstddef>
#include <optional>

#include <vesk_ui/input.hpp>

namespace chat::app {

// The next keyboard-focused element among `count`: forwards from none is the first, backwards
// from none the last, both wrap; none when there are no elements.
std::optional<std::size_t> next_focus_index(std::optional<std::size_t> current, std::size_t count,
                                            bool backwards);

// How far a wheel event moves the message list, in logical pixels: 44 per line, physical pixels
// divided by the scale factor. Positive scrolls towards older messages.
double wheel_scroll_delta(const vesk_ui::WheelEvent& wheel, double scale_factor);

// What releasing a conversation-row swipe does, by the leftward travel from the press.
enum class SwipeOutcome { Open, Nothing, Delete };
inline constexpr double kSwipeDeleteTravel = 88;
inline constexpr double kSwipeClickTravel = 6;
SwipeOutcome swipe_outcome(double press_x, double current_x);

}  // namespace chat::app
