#include "vesk_ui/scene.hpp"

#include <algorithm>
#include <cmath>

#include "vesk_ui/image.hpp"

namespace vesk_ui {

namespace {

cairo_matrix_t to_cairo(const Affine& t) {
  return {t.xx, t.yx, t.xy, t.yy, t.x0, t.y0};
}

cairo_line_join_t to_cairo(LineJoin j) {
  switch (j) {
    case LineJoin::Miter:
      return CAIRO_LINE_JOIN_MITER;
    case LineJoin::Bevel:
      return CAIRO_LINE_JOIN_BEVEL;
    case LineJoin::Round:
      break;
  }
  return CAIRO_LINE_JOIN_ROUND;
}

cairo_line_cap_t to_cairo(LineCap c) {
  switch (c) {
    case LineCap::Butt:
      return CAIRO_LINE_CAP_BUTT;
    case LineCap::Square:
      return CAIRO_LINE_CAP_SQUARE;
    case LineCap::Round:
      break;
  }
  return CAIRO_LINE_CAP_ROUND;
}

}  // namespace

Scene::Scene(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_)),
      cr_(cairo_create(surface_.get())) {
  clear();
}

Scene::Scene(unsigned char* pixels, int width, int height, int stride)
    : width_(width),
      height_(height),
      surface_(
          cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, stride)),
      cr_(cairo_create(surface_.get())) {}

Scene::~Scene() {
  while (!layer_opacity_.empty()) pop_layer();
}

void Scene::set_color(Color c) {
  cairo_set_source_rgba(cr_.get(), c.r, c.g, c.b, c.a);
}

void Scene::apply_path(const Path& path) {
  cairo_t* cr = cr_.get();
  cairo_new_path(cr);
  for (const Path::Element& e : path.elements()) {
    switch (e.verb) {
      case Path::Verb::MoveTo:
        cairo_move_to(cr, e.p[0].x, e.p[0].y);
        break;
      case Path::Verb::LineTo:
        cairo_line_to(cr, e.p[0].x, e.p[0].y);
        break;
      case Path::Verb::CubicTo:
        cairo_curve_to(cr, e.p[0].x, e.p[0].y, e.p[1].x, e.p[1].y, e.p[2].x, e.p[2].y);
        break;
      case Path::Verb::Close:
        cairo_close_path(cr);
        break;
    }
  }
}

cairo_t* Scene::prepare(const Affine& t) {
  cairo_matrix_t m = to_cairo(t);
  cairo_set_matrix(cr_.get(), &m);
  return cr_.get();
}

void Scene::clear(Color c) {
  cairo_t* cr = cr_.get();
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_reset_clip(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  set_color(c);
  cairo_paint(cr);
  cairo_restore(cr);
}

void Scene::fill(const Affine& t, const Path& path, Color c) {
  if (path.empty() || c.a <= 0) return;
  prepare(t);
  apply_path(path);
  cairo_set_fill_rule(cr_.get(), CAIRO_FILL_RULE_WINDING);
  set_color(c);
  cairo_fill(cr_.get());
}

void Scene::stroke(const Affine& t, const Path& path, const Stroke& style, Color c) {
  if (path.empty() || c.a <= 0 || !(style.width > 0)) return;
  cairo_t* cr = prepare(t);
  apply_path(path);
  cairo_set_line_width(cr, style.width);
  cairo_set_line_join(cr, to_cairo(style.join));
  cairo_set_line_cap(cr, to_cairo(style.cap));
  cairo_set_miter_limit(cr, style.miter_limit);
  set_color(c);
  cairo_stroke(cr);
}

void Scene::push_layer(const Affine& t, const Rect& clip, float opacity) {
  cairo_t* cr = cr_.get();
  cairo_save(cr);
  prepare(t);
  apply_path(Path::rect(clip));
  cairo_clip(cr);
  opacity = std::clamp(opacity, 0.0f, 1.0f);
  // A fully opaque layer is only a clip; skip the offscreen group it would cost.
  if (opacity < 1.0f) cairo_push_group(cr);
  layer_opacity_.push_back(opacity);
}

void Scene::pop_layer() {
  if (layer_opacity_.empty()) return;
  cairo_t* cr = cr_.get();
  float opacity = layer_opacity_.back();
  layer_opacity_.pop_back();
  if (opacity < 1.0f) {
    cairo_pop_group_to_source(cr);
    cairo_identity_matrix(cr);
    cairo_paint_with_alpha(cr, opacity);
  }
  cairo_restore(cr);
}

void Scene::draw_image(const Affine& t, const Image& image, const Affine& image_to_user,
                       const Path& clip_path, float opacity) {
  cairo_t* cr = cr_.get();
  cairo_save(cr);
  prepare(t);
  apply_path(clip_path);
  cairo_clip(cr);
  cairo_matrix_t m = to_cairo(t * image_to_user);
  cairo_set_matrix(cr, &m);
  cairo_set_source_surface(cr, image.surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint_with_alpha(cr, std::clamp(opacity, 0.0f, 1.0f));
  cairo_restore(cr);
}

void Scene::flush() {
  cairo_surface_flush(surface_.get());
}

Color Scene::pixel(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0, 0};
  flush();
  const unsigned char* data = cairo_image_surface_get_data(surface_.get());
  int stride = cairo_image_surface_get_stride(surface_.get());
  std::uint32_t px;
  const unsigned char* p = data + static_cast<std::ptrdiff_t>(y) * stride + x * 4;
  std::copy(p, p + 4, reinterpret_cast<unsigned char*>(&px));
  std::uint32_t a = px >> 24;
  if (a == 0) return {0, 0, 0, 0};
  auto un = [a](std::uint32_t v) { return std::min(1.0f, static_cast<float>(v) / a); };
  return {un((px >> 16) & 0xff), un((px >> 8) & 0xff), un(px & 0xff), a / 255.0f};
}

bool Scene::write_png(const std::string& path) {
  flush();
  return cairo_surface_write_to_png(surface_.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace vesk_ui
