#pragma once

// Where the parts of a composer bar lie: the field, its buttons and the text box inside it.
// Pure geometry, so that drawing and tests agree on it.

#include <optional>

#include <vesk_ui/geometry.hpp>
#include <vesk_ui/theme.hpp>

namespace chat::app {

// Width the main composer's text wraps at, between content left and right.
double main_composer_wrap_width(double content_left, double content_right);
// The main composer's bar above the window bottom; grows with the text height from 76 s up to
// 200 s.
vesk_ui::Rect main_composer_rect(double content_left, double content_right, double bottom,
                                 double scale, double text_height);

// Width the thread composer's text wraps at inside the details pane.
double thread_composer_wrap_width(const vesk_ui::Rect& pane);
// The thread composer's bar at the bottom of the pane; grows from 76 up to 200, unscaled.
vesk_ui::Rect thread_composer_rect(const vesk_ui::Rect& pane, double text_height);

struct ComposerBarLayout {
  std::optional<vesk_ui::Rect> attach;
  vesk_ui::Rect emoji;
  vesk_ui::Rect send;
  vesk_ui::Point emoji_anchor;  // where the emoji picker opens
  double text_left = 0;         // the text column, between the buttons
  double text_right = 0;

  // Width the text wraps at inside the column.
  double text_wrap_width() const;
};

ComposerBarLayout composer_bar_layout(const vesk_ui::Rect& bar, const vesk_ui::Theme& theme,
                                      bool show_attach);
// The text input's box: the column's width, as tall as the text plus spacing (at most the bar
// less small spacing), centred in the bar.
vesk_ui::Rect composer_text_rect(const ComposerBarLayout& layout, const vesk_ui::Rect& bar,
                                 const vesk_ui::Theme& theme, double text_height);

}  // namespace chat::app
