#pragma once

#include <pango/pangocairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vesk_ui/color.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/layout_cache.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/text_layout.hpp"

namespace vesk_ui {

struct TextMetrics {
  double width = 0;
  double height = 0;
  double line_height = 0;  // height of the first line
};

// One run of rich text. Runs without a colour take the colour given when drawing.
struct RichSpan {
  std::string text;
  std::optional<Color> color;
  std::optional<int> weight;
  std::optional<Color> background;
};

struct TextRendererOptions {
  // Font families in order of preference; colour emoji come through fontconfig's fallback.
  std::string families = "Inter, DejaVu Sans";
  // Room for every row of a long conversation (each row shapes a few texts per frame): a
  // cache smaller than that misses on every row and reshapes the whole list each frame.
  std::size_t cache_entries = 32768;
  std::size_t cache_bytes = 64u << 20;
};

// Text through Pango at absolute pixel sizes. Weights: 0 regular, 1 medium, 2 semibold,
// 3 bold. Shaped layouts are kept in a bounded cache keyed by text, size, weight and wrap
// width that evicts the least recently used (approximately), so the rows of one frame and of
// the next are shaped once.
class TextRenderer {
 public:
  explicit TextRenderer(TextRendererOptions options = {});
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;
  ~TextRenderer();

  std::shared_ptr<const TextLayout> shape(std::string_view text, double size, int weight = 0,
                                          std::optional<double> wrap_width = std::nullopt);
  TextMetrics measure(std::string_view text, double size, int weight = 0,
                      std::optional<double> wrap_width = std::nullopt);
  // Height of one line ("Ag") at the size and weight.
  double line_height(double size, int weight = 0);

  std::shared_ptr<const RichTextLayout> shape_rich(const std::vector<RichSpan>& spans, double size,
                                                   std::optional<double> width);

  // Paints a layout with its top-left corner at `top_left` (in the transform's space).
  void draw(Scene& scene, const Affine& t, const TextLayout& layout, Point top_left, Color color);
  void draw_rich(Scene& scene, const Affine& t, const RichTextLayout& layout, Point top_left,
                 Color default_color);

  std::size_t cache_size() const { return cache_.size(); }

 private:
  PangoLayoutPtr new_layout(double size, int weight, std::optional<double> wrap_width);

  TextRendererOptions options_;
  std::unique_ptr<PangoFontMap, GObjectDeleter> font_map_;
  std::unique_ptr<PangoContext, GObjectDeleter> context_;
  detail::LayoutCache cache_;
  // Where each call builds its lookup key: a hit, the usual case, then allocates nothing.
  std::string key_scratch_;
};

int pango_weight_for(int weight);

}  // namespace vesk_ui
