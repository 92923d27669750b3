#include "app/composer_layout.hpp"

#include <algorithm>

namespace chat::app {
namespace {

constexpr double kMinBarHeight = 76;
constexpr double kMaxBarHeight = 200;
constexpr double kOneLineHeight = 19;
constexpr double kBottomGap = 12;
constexpr double kSendWidth = 44;
constexpr double kEmojiPickerLeft = 140;
constexpr double kEmojiPickerAbove = 8;

}  // namespace

double main_composer_wrap_width(double content_left, double content_right) {
  return std::max(content_right - content_left - 48, 40.0);
}

vesk_ui::Rect main_composer_rect(double content_left, double content_right, double bottom,
                                 double scale, double text_height) {
  const double grown = kMinBarHeight * scale + std::max(text_height - kOneLineHeight * scale, 0.0);
  const double height = std::clamp(grown, kMinBarHeight * scale, kMaxBarHeight * scale);
  return {content_left + 14, bottom - height - kBottomGap, content_right - 14, bottom - kBottomGap};
}

double thread_composer_wrap_width(const vesk_ui::Rect& pane) {
  return std::max(pane.x1 - pane.x0 - 72, 40.0);
}

vesk_ui::Rect thread_composer_rect(const vesk_ui::Rect& pane, double text_height) {
  const double height =
      std::min(std::max(text_height - kOneLineHeight, 0.0) + kMinBarHeight, kMaxBarHeight);
  return {pane.x0 + 12, pane.y1 - height - kBottomGap, pane.x1 - 12, pane.y1 - kBottomGap};
}

double ComposerBarLayout::text_wrap_width() const {
  return std::max(text_right - text_left - 22, 40.0);
}

ComposerBarLayout composer_bar_layout(const vesk_ui::Rect& bar, const vesk_ui::Theme& theme,
                                      bool show_attach) {
  const double middle = (bar.y0 + bar.y1) / 2;
  const double half = theme.control_height / 2.0;
  ComposerBarLayout layout;
  double text_start = bar.x0 + theme.pane_inset;
  if (show_attach) {
    layout.attach = vesk_ui::Rect{bar.x0 + theme.padding, middle - half,
                                  bar.x0 + theme.padding + theme.control_height, middle + half};
    text_start = layout.attach->x1 + theme.padding;
  }
  layout.send = {bar.x1 - theme.padding - kSendWidth, middle - half, bar.x1 - theme.padding,
                 middle + half};
  const double emoji_right = layout.send.x0 - theme.spacing;
  layout.emoji = {emoji_right - theme.control_height, middle - half, emoji_right, middle + half};
  layout.emoji_anchor = {layout.emoji.x0 - kEmojiPickerLeft, bar.y0 - kEmojiPickerAbove};
  layout.text_left = text_start - theme.spacing_small;
  layout.text_right = layout.emoji.x0 - theme.spacing;
  return layout;
}

vesk_ui::Rect composer_text_rect(const ComposerBarLayout& layout, const vesk_ui::Rect& bar,
                                 const vesk_ui::Theme& theme, double text_height) {
  const double height =
      std::min(text_height + 2.0 * theme.spacing, (bar.y1 - bar.y0) - 2.0 * theme.spacing_small);
  const double top = (bar.y0 + bar.y1) / 2 - height / 2;
  return {layout.text_left, top, layout.text_right, top + height};
}

}  // namespace chat::app
