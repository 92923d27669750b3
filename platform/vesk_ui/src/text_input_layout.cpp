// Where the input's text lies: the shaped display text, its placement and scrolling inside
// the box, and the caret moves that depend on lines (Up/Down, Home/End) or positions.

#include <algorithm>

#include "text_input_metrics.hpp"
#include "vesk_ui/text_edit_breaks.hpp"
#include "vesk_ui/text_input.hpp"

namespace vesk_ui {

namespace {

int line_at_y(const TextLayout& layout, double y) {
  const auto& lines = layout.lines();
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    if (y < lines[i].top + lines[i].height) return i;
  }
  return static_cast<int>(lines.size()) - 1;
}

// The caret stop nearest to x on a line. Past the end of a soft-wrapped line Pango answers the
// next line's first offset, which would put the caret on the wrong line; step back onto it.
std::size_t index_on_line(const TextLayout& layout, int line, double x) {
  const LineMetrics& m = layout.lines()[line];
  std::size_t index = layout.index_at(x, m.top + m.height / 2);
  if (layout.line_of(index) > line && index > m.start_index) index = layout.prev_cursor(index);
  return index;
}

}  // namespace

std::string TextInput::display_text() const {
  if (composition_.empty()) return text();
  std::string shown = text();
  shown.insert(cursor(), composition_);
  return shown;
}

std::size_t TextInput::to_display(std::size_t offset) const {
  return offset <= cursor() ? offset : offset + composition_.size();
}

std::size_t TextInput::from_display(std::size_t offset) const {
  if (offset <= cursor()) return offset;
  if (offset < cursor() + composition_.size()) return cursor();
  return offset - composition_.size();
}

double TextInput::wrap_width() const {
  return std::max(1.0, rect_.width() - 2 * text_input_metrics::padding_x(multiline_));
}

const TextLayout* TextInput::current_layout() {
  if (!layout_) return nullptr;
  std::string shown = display_text();
  int width = multiline_ ? static_cast<int>(wrap_width() * PANGO_SCALE) : -1;
  if (layout_->text() == shown && pango_layout_get_width(layout_->pango()) == width) {
    return layout_.get();
  }
  // Events can change the text between frames; reshape with the last frame's font settings so
  // that a pointer press or an Up arrow right after typing sees the current lines.
  PangoLayoutPtr copy(pango_layout_copy(layout_->pango()));
  pango_layout_set_width(copy.get(), width);
  if (multiline_) pango_layout_set_wrap(copy.get(), PANGO_WRAP_WORD_CHAR);
  pango_layout_set_text(copy.get(), shown.data(), static_cast<int>(shown.size()));
  layout_ = std::make_shared<const TextLayout>(std::move(copy), std::move(shown));
  return layout_.get();
}

void TextInput::place(const TextLayout& layout, double caret_x, double caret_y0, double caret_y1) {
  using namespace text_input_metrics;
  double box_h = rect_.height();
  double text_h = std::max(layout.height(), layout.line_height());
  if (text_h <= box_h) {
    scroll_.y = 0;
    origin_.y = rect_.y0 + (box_h - text_h) / 2;
  } else {
    double pad_y = std::clamp((box_h - layout.line_height()) / 2, 0.0, kScrollPaddingY);
    double view = std::max(0.0, box_h - 2 * pad_y);
    if (caret_y0 < scroll_.y) scroll_.y = caret_y0;
    if (caret_y1 > scroll_.y + view) scroll_.y = caret_y1 - view;
    scroll_.y = std::clamp(scroll_.y, 0.0, text_h - view);
    origin_.y = rect_.y0 + pad_y - scroll_.y;
  }
  double pad_x = padding_x(multiline_);
  double view_w = std::max(0.0, rect_.width() - 2 * pad_x);
  double text_w = layout.width() + kCaretWidth;
  if (multiline_ || text_w <= view_w) {
    scroll_.x = 0;
  } else {
    if (caret_x < scroll_.x) scroll_.x = caret_x;
    if (caret_x + kCaretWidth > scroll_.x + view_w) scroll_.x = caret_x + kCaretWidth - view_w;
    scroll_.x = std::clamp(scroll_.x, 0.0, text_w - view_w);
  }
  origin_.x = rect_.x0 + pad_x - scroll_.x;
}

std::optional<std::size_t> TextInput::offset_at(Point window_point) {
  const TextLayout* layout = current_layout();
  if (!layout) return std::nullopt;
  double x = window_point.x - origin_.x;
  double y = window_point.y - origin_.y;
  std::size_t index = index_on_line(*layout, line_at_y(*layout, y), x);
  return text_edit::snap_to_grapheme(text(), from_display(index));
}

bool TextInput::move_vertically(int direction, bool extend) {
  const TextLayout* layout = multiline_ ? current_layout() : nullptr;
  if (!layout) return move_caret(direction < 0 ? 0 : text().size(), extend);
  std::size_t caret = caret_display();
  double x = preferred_x_.value_or(layout->cursor_rect(caret).x0);
  int target = layout->line_of(caret) + direction;
  std::size_t offset = 0;
  if (target >= layout->line_count()) {
    offset = text().size();
  } else if (target >= 0) {
    offset = text_edit::snap_to_grapheme(text(), from_display(index_on_line(*layout, target, x)));
  }
  bool moved = move_caret(offset, extend);
  preferred_x_ = x;
  return moved;
}

std::size_t TextInput::line_start(std::size_t offset) {
  const TextLayout* layout = current_layout();
  if (!layout) {
    std::size_t brk = offset == 0 ? std::string::npos : text().rfind('\n', offset - 1);
    return brk == std::string::npos ? 0 : brk + 1;
  }
  const LineMetrics& line = layout->lines()[layout->line_of(to_display(offset))];
  return from_display(line.start_index);
}

std::size_t TextInput::line_end(std::size_t offset) {
  const TextLayout* layout = current_layout();
  if (!layout) {
    std::size_t brk = text().find('\n', offset);
    return brk == std::string::npos ? text().size() : brk;
  }
  int index = layout->line_of(to_display(offset));
  if (index + 1 >= layout->line_count()) return text().size();
  const LineMetrics& line = layout->lines()[index];
  std::size_t end = line.start_index + line.length;
  const std::string& shown = layout->text();
  // Before the line break, or before the blank a soft wrap ends on, so the caret stays on
  // this line; a word broken by the wrap leaves the caret at the next line's start.
  if (end > line.start_index && (shown[end - 1] == '\n' || shown[end - 1] == ' ')) --end;
  return from_display(end);
}

}  // namespace vesk_ui
