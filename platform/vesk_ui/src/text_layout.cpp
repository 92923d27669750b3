#include "vesk_ui/text_layout.hpp"

#include <glib-object.h>

#include <algorithm>

namespace vesk_ui {

void GObjectDeleter::operator()(void* object) const {
  if (object) g_object_unref(object);
}

namespace {

double from_pango(int units) {
  return static_cast<double>(units) / PANGO_SCALE;
}

}  // namespace

TextLayout::TextLayout(PangoLayoutPtr layout, std::string text)
    : layout_(std::move(layout)), text_(std::move(text)) {
  PangoRectangle logical;
  pango_layout_get_extents(layout_.get(), nullptr, &logical);
  width_ = from_pango(logical.width);
  height_ = from_pango(logical.height);

  PangoLayoutIter* iter = pango_layout_get_iter(layout_.get());
  do {
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    PangoRectangle rect;
    pango_layout_iter_get_line_extents(iter, nullptr, &rect);
    LineMetrics m;
    m.start_index = static_cast<std::size_t>(line->start_index);
    m.length = static_cast<std::size_t>(line->length);
    m.top = from_pango(rect.y);
    m.height = from_pango(rect.height);
    m.baseline = from_pango(pango_layout_iter_get_baseline(iter));
    m.width = from_pango(rect.width);
    lines_.push_back(m);
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  // Lines report their own length without the paragraph separator; stretch each to the next
  // line's start so every byte belongs to a line.
  for (std::size_t i = 0; i + 1 < lines_.size(); ++i) {
    lines_[i].length = lines_[i + 1].start_index - lines_[i].start_index;
  }
}

double TextLayout::line_height() const {
  return lines_.empty() ? height_ : lines_.front().height;
}

int TextLayout::unknown_glyphs() const {
  return pango_layout_get_unknown_glyphs_count(layout_.get());
}

Rect TextLayout::cursor_rect(std::size_t byte_index) const {
  int index = static_cast<int>(std::min(byte_index, text_.size()));
  PangoRectangle strong;
  pango_layout_get_cursor_pos(layout_.get(), index, &strong, nullptr);
  double x = from_pango(strong.x), y = from_pango(strong.y);
  return {x, y, x, y + from_pango(strong.height)};
}

std::size_t TextLayout::index_at(double x, double y) const {
  int index = 0, trailing = 0;
  pango_layout_xy_to_index(layout_.get(), static_cast<int>(x * PANGO_SCALE),
                           static_cast<int>(y * PANGO_SCALE), &index, &trailing);
  // A click on the trailing half of a cluster means the caret stop after the whole cluster.
  std::size_t result = static_cast<std::size_t>(index);
  if (trailing > 0) result = next_cursor(result);
  return std::min(result, text_.size());
}

int TextLayout::line_of(std::size_t byte_index) const {
  int line = 0, x = 0;
  pango_layout_index_to_line_x(layout_.get(), static_cast<int>(std::min(byte_index, text_.size())),
                               0, &line, &x);
  return line;
}

std::size_t TextLayout::next_cursor(std::size_t byte_index) const {
  if (byte_index >= text_.size()) return text_.size();
  int n = 0;
  const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout_.get(), &n);
  // attrs[i] describes the position before character i; walk characters from the start one.
  const char* start = text_.c_str();
  const char* end = start + text_.size();
  const char* p = start + byte_index;
  long chars = g_utf8_pointer_to_offset(start, p);
  do {
    p = g_utf8_next_char(p);
    ++chars;
  } while (p < end && !(chars < n && attrs[chars].is_cursor_position));
  return static_cast<std::size_t>(std::min(p, end) - start);
}

std::size_t TextLayout::prev_cursor(std::size_t byte_index) const {
  byte_index = std::min(byte_index, text_.size());
  if (byte_index == 0) return 0;
  int n = 0;
  const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout_.get(), &n);
  const char* start = text_.c_str();
  const char* p = start + byte_index;
  long chars = g_utf8_pointer_to_offset(start, p);
  do {
    p = g_utf8_find_prev_char(start, p);
    --chars;
  } while (p && p > start && !(chars < n && attrs[chars].is_cursor_position));
  return p ? static_cast<std::size_t>(p - start) : 0;
}

}  // namespace vesk_ui
