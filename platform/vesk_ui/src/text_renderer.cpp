#include "vesk_ui/text_renderer.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vesk_ui {

int pango_weight_for(int weight) {
  switch (std::clamp(weight, 0, 3)) {
    case 1:
      return PANGO_WEIGHT_MEDIUM;
    case 2:
      return PANGO_WEIGHT_SEMIBOLD;
    case 3:
      return PANGO_WEIGHT_BOLD;
    default:
      return PANGO_WEIGHT_NORMAL;
  }
}

namespace {

// Cache keys are binary: a kind byte, the numeric parameters, then the text.
template <typename T>
void append_raw(std::string& key, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  key.append(bytes, sizeof(T));
}

void append_color(std::string& key, const std::optional<Color>& c) {
  key.push_back(c ? 1 : 0);
  if (c) {
    append_raw(key, c->r);
    append_raw(key, c->g);
    append_raw(key, c->b);
    append_raw(key, c->a);
  }
}

guint16 to_pango_channel(float c) {
  return static_cast<guint16>(std::lround(std::clamp(c, 0.0f, 1.0f) * 65535.0f));
}

void insert_attr(PangoAttrList* list, PangoAttribute* attr, std::size_t start, std::size_t end) {
  attr->start_index = static_cast<guint>(start);
  attr->end_index = static_cast<guint>(end);
  pango_attr_list_insert(list, attr);
}

void add_color_attrs(PangoAttrList* list, Color c, bool background, std::size_t start,
                     std::size_t end) {
  guint16 r = to_pango_channel(c.r), g = to_pango_channel(c.g), b = to_pango_channel(c.b);
  guint16 a = to_pango_channel(c.a);
  if (background) {
    insert_attr(list, pango_attr_background_new(r, g, b), start, end);
    insert_attr(list, pango_attr_background_alpha_new(std::max<guint16>(a, 1)), start, end);
  } else {
    insert_attr(list, pango_attr_foreground_new(r, g, b), start, end);
    insert_attr(list, pango_attr_foreground_alpha_new(std::max<guint16>(a, 1)), start, end);
  }
}

// Sizes come from layout arithmetic; keep them where Pango and FreeType work.
double sane_size(double size) {
  constexpr double kLargest = 2048;
  return std::isnan(size) ? 0.0 : std::clamp(size, 0.0, kLargest);
}

std::optional<double> sane_width(std::optional<double> width) {
  if (!width || !(*width > 0)) return std::nullopt;
  return std::min(*width, 1e6);
}

}  // namespace

TextRenderer::TextRenderer(TextRendererOptions options)
    : options_(std::move(options)),
      font_map_(pango_cairo_font_map_new()),
      context_(pango_font_map_create_context(font_map_.get())),
      cache_(options_.cache_entries, options_.cache_bytes) {
  // Metrics unhinted so that a layout measures the same at any transform and on any target.
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context_.get(), fo);
  cairo_font_options_destroy(fo);
  pango_context_set_round_glyph_positions(context_.get(), FALSE);
}

TextRenderer::~TextRenderer() = default;

PangoLayoutPtr TextRenderer::new_layout(double size, int weight, std::optional<double> wrap_width) {
  PangoLayoutPtr layout(pango_layout_new(context_.get()));
  PangoFontDescription* desc = pango_font_description_from_string(options_.families.c_str());
  pango_font_description_set_absolute_size(desc, size * PANGO_SCALE);
  pango_font_description_set_weight(desc, static_cast<PangoWeight>(pango_weight_for(weight)));
  pango_layout_set_font_description(layout.get(), desc);
  pango_font_description_free(desc);
  if (wrap_width && *wrap_width > 0) {
    pango_layout_set_width(layout.get(), static_cast<int>(*wrap_width * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  }
  return layout;
}

std::shared_ptr<const TextLayout> TextRenderer::shape(std::string_view text, double size,
                                                      int weight,
                                                      std::optional<double> wrap_width) {
  size = sane_size(size);
  wrap_width = sane_width(wrap_width);
  std::string& key = key_scratch_;
  key.clear();
  key.push_back('p');
  append_raw(key, size);
  append_raw(key, weight);
  append_raw(key, wrap_width && *wrap_width > 0 ? *wrap_width : -1.0);
  key.append(text);
  if (auto hit = cache_.find(key)) return hit;

  PangoLayoutPtr layout = new_layout(size, weight, wrap_width);
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  auto shaped = std::make_shared<const TextLayout>(std::move(layout), std::string(text));
  cache_.insert(key, shaped);
  return shaped;
}

TextMetrics TextRenderer::measure(std::string_view text, double size, int weight,
                                  std::optional<double> wrap_width) {
  auto layout = shape(text, size, weight, wrap_width);
  return {layout->width(), layout->height(), layout->line_height()};
}

double TextRenderer::line_height(double size, int weight) {
  return shape("Ag", size, weight)->height();
}

std::shared_ptr<const RichTextLayout> TextRenderer::shape_rich(const std::vector<RichSpan>& spans,
                                                               double size,
                                                               std::optional<double> width) {
  std::string& key = key_scratch_;
  key.clear();
  key.push_back('r');
  append_raw(key, size);
  append_raw(key, width && *width > 0 ? *width : -1.0);
  for (const RichSpan& span : spans) {
    append_raw(key, span.text.size());
    key.append(span.text);
    append_color(key, span.color);
    append_color(key, span.background);
    append_raw(key, span.weight ? *span.weight : -1);
  }
  if (auto hit = cache_.find(key)) return hit;

  PangoLayoutPtr layout = new_layout(size, 0, width);
  std::string text;
  PangoAttrList* attrs = pango_attr_list_new();
  for (const RichSpan& span : spans) {
    std::size_t start = text.size();
    text += span.text;
    std::size_t end = text.size();
    if (start == end) continue;
    if (span.color) add_color_attrs(attrs, *span.color, false, start, end);
    if (span.background) add_color_attrs(attrs, *span.background, true, start, end);
    if (span.weight) {
      insert_attr(attrs,
                  pango_attr_weight_new(static_cast<PangoWeight>(pango_weight_for(*span.weight))),
                  start, end);
    }
  }
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  pango_layout_set_attributes(layout.get(), attrs);
  pango_attr_list_unref(attrs);
  auto shaped = std::make_shared<const RichTextLayout>(std::move(layout), std::move(text));
  cache_.insert(key, shaped);
  return shaped;
}

void TextRenderer::draw(Scene& scene, const Affine& t, const TextLayout& layout, Point top_left,
                        Color color) {
  if (layout.text().empty() || color.a <= 0) return;
  cairo_t* cr = scene.prepare(t.pre_translate(top_left.x, top_left.y));
  cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
  cairo_move_to(cr, 0, 0);
  pango_cairo_show_layout(cr, layout.pango());
}

void TextRenderer::draw_rich(Scene& scene, const Affine& t, const RichTextLayout& layout,
                             Point top_left, Color default_color) {
  if (layout.text().empty()) return;
  cairo_t* cr = scene.prepare(t.pre_translate(top_left.x, top_left.y));
  cairo_set_source_rgba(cr, default_color.r, default_color.g, default_color.b, default_color.a);
  cairo_move_to(cr, 0, 0);
  pango_cairo_show_layout(cr, layout.pango());
}

}  // namespace vesk_ui
