#include <algorithm>
#include <cmath>

#include "text_input_metrics.hpp"
#include "vesk_ui/text_input.hpp"

namespace vesk_ui {

namespace {

// Calls paint(x0, x1, line) for the part of each line that [from, to) covers (display
// offsets, in layout coordinates).
template <class Paint>
void for_each_line_span(const TextLayout& layout, std::size_t from, std::size_t to, Paint paint) {
  if (from >= to) return;
  for (const LineMetrics& line : layout.lines()) {
    std::size_t start = line.start_index;
    std::size_t end = start + line.length;
    std::size_t a = std::max(from, start);
    std::size_t b = std::min(to, end);
    if (a >= b) continue;
    double x0 = a > start ? layout.cursor_rect(a).x0 : 0.0;
    // A span running past the line's end covers the line out to its width.
    double x1 = b < end ? layout.cursor_rect(b).x0 : line.width;
    if (x1 < x0) std::swap(x0, x1);
    paint(x0, x1, line);
  }
}

}  // namespace

void TextInput::draw(Scene& scene, TextRenderer& text, const Theme& theme, DrawCtx& ctx) {
  using namespace text_input_metrics;
  Painter painter{scene, text, ctx.transform};
  caret_rect_.reset();
  next_blink_.reset();
  if (rect_.is_empty()) return;
  std::optional<double> wrap;
  if (multiline_) wrap = wrap_width();
  // The renderer gives the font settings once; every draft text after that is shaped from a
  // copy of that layout, so typing does not fill the renderer's cache with one entry per key.
  if (!layout_) layout_ = painter.text.shape({}, text_size_, 0, wrap);
  const TextLayout& layout = *current_layout();
  Rect caret = layout.cursor_rect(caret_display());
  place(layout, caret.x0, caret.y0, caret.y1);

  painter.scene.push_layer(painter.transform, rect_);
  if (layout.text().empty() && show_placeholder_ && !placeholder_.empty()) {
    auto shaped = painter.text.shape(placeholder_, text_size_, 0, wrap);
    painter.text.draw(painter.scene, painter.transform, *shaped, origin_, theme.text_muted);
  }
  draw_selection(painter, theme, layout);
  painter.text.draw(painter.scene, painter.transform, layout, origin_, theme.text_primary);
  draw_composition(painter, theme, layout);

  if (focused_) {
    if (caret_moved_) {
      blink_epoch_ = ctx.now;
      caret_moved_ = false;
    }
    bool visible = true;
    if (blink_caret_) {
      auto elapsed = std::max(Clock::duration::zero(), ctx.now - blink_epoch_);
      auto phase = elapsed % std::chrono::duration_cast<Clock::duration>(kBlinkPeriod);
      auto half = std::chrono::duration_cast<Clock::duration>(kBlinkPeriod) / 2;
      visible = phase < half;
      next_blink_ = ctx.now + (visible ? half - phase : 2 * half - phase);
      ctx.wake_no_later_than(*next_blink_);
    }
    Rect box{origin_.x + caret.x0 - kCaretWidth / 2, origin_.y + caret.y0,
             origin_.x + caret.x0 + kCaretWidth / 2, origin_.y + caret.y1};
    caret_rect_ = box;
    if (visible) painter.scene.fill(painter.transform, Path::rect(box), theme.text_primary);
  }
  painter.scene.pop_layer();
}

void TextInput::draw_selection(Painter& painter, const Theme& theme, const TextLayout& layout) {
  auto range = buffer_.selection();
  if (!range) return;
  Color fill = theme.accent.with_alpha(text_input_metrics::kSelectionAlpha);
  for_each_line_span(layout, to_display(range->first), to_display(range->second),
                     [&](double x0, double x1, const LineMetrics& line) {
                       // A selected line break shows as a sliver after the line.
                       if (x1 - x0 < 4 && range->second > line.start_index + line.length) {
                         x1 = x0 + 4;
                       }
                       Rect r{origin_.x + x0, origin_.y + line.top, origin_.x + x1,
                              origin_.y + line.top + line.height};
                       painter.scene.fill(painter.transform, Path::rect(r), fill);
                     });
}

void TextInput::draw_composition(Painter& painter, const Theme& theme, const TextLayout& layout) {
  if (composition_.empty()) return;
  std::size_t from = to_display(cursor());
  double thickness = text_input_metrics::kUnderlineThickness;
  for_each_line_span(layout, from, from + composition_.size(),
                     [&](double x0, double x1, const LineMetrics& line) {
                       // On whole pixels so the line stays crisp.
                       double y = std::round(origin_.y + line.baseline + 2);
                       Rect r{origin_.x + x0, y, origin_.x + x1, y + thickness};
                       painter.scene.fill(painter.transform, Path::rect(r), theme.text_primary);
                     });
}

}  // namespace vesk_ui
