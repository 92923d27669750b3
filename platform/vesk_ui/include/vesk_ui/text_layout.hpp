#pragma once

#include <pango/pango.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vesk_ui/geometry.hpp"

namespace vesk_ui {

struct GObjectDeleter {
  void operator()(void* object) const;
};
using PangoLayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

struct LineMetrics {
  std::size_t start_index = 0;  // byte offset of the line's first character
  std::size_t length = 0;       // bytes, the line break included
  double top = 0;               // relative to the layout's top-left
  double height = 0;
  double baseline = 0;  // relative to the layout's top-left
  double width = 0;
};

// Text shaped once and kept: its size, its lines, and the mapping between byte offsets and
// positions that an editor needs. Measured and drawn from the same shaping, so a measured row
// always matches what is painted.
class TextLayout {
 public:
  explicit TextLayout(PangoLayoutPtr layout, std::string text);

  const std::string& text() const { return text_; }
  double width() const { return width_; }
  double height() const { return height_; }
  // Height of the first line (the height of one line of this text).
  double line_height() const;
  int line_count() const { return static_cast<int>(lines_.size()); }
  const std::vector<LineMetrics>& lines() const { return lines_; }

  // Caret rectangle (zero width) at a byte offset; offsets past the end clamp to the end.
  Rect cursor_rect(std::size_t byte_index) const;
  // Byte offset of the caret position nearest to a point (relative to the top-left).
  std::size_t index_at(double x, double y) const;
  // Line holding a byte offset.
  int line_of(std::size_t byte_index) const;
  // Neighbouring caret stops (whole characters, grapheme clusters kept together).
  std::size_t next_cursor(std::size_t byte_index) const;
  std::size_t prev_cursor(std::size_t byte_index) const;

  // Characters no installed font could draw (shown as boxes).
  int unknown_glyphs() const;

  PangoLayout* pango() const { return layout_.get(); }
  std::size_t approx_bytes() const { return text_.size() + 256; }

 private:
  PangoLayoutPtr layout_;
  std::string text_;
  double width_ = 0;
  double height_ = 0;
  std::vector<LineMetrics> lines_;
};

// Rich text is shaped the same way, its runs carried as attributes.
using RichTextLayout = TextLayout;

}  // namespace vesk_ui
