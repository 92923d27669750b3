#pragma once
// The text input's look in numbers, shared by its placement and its drawing.

#include <chrono>

namespace vesk_ui::text_input_metrics {

// Multi-line boxes are sized by their owners as the wrapped text plus about 20 px, so the text
// wraps 10 px inside each side; a one-line box keeps only room for the caret.
inline double padding_x(bool multiline) {
  return multiline ? 10.0 : 2.0;
}
// Breathing room above and below text that scrolls.
inline constexpr double kScrollPaddingY = 4.0;
inline constexpr double kCaretWidth = 1.5;
inline constexpr double kUnderlineThickness = 1.0;
inline constexpr float kSelectionAlpha = 0.35f;
// Visible for the first half of each period, counted from the caret's last move.
inline constexpr std::chrono::milliseconds kBlinkPeriod{1060};

}  // namespace vesk_ui::text_input_metrics
