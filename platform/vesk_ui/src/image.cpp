#include "vesk_ui/image.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vesk_ui {

std::shared_ptr<const Image> Image::from_rgba(std::span<const std::uint8_t> rgba, int width,
                                              int height, int stride) {
  if (width <= 0 || height <= 0 || stride < width * 4 ||
      rgba.size() < static_cast<std::size_t>(stride) * (height - 1) + width * 4u) {
    return nullptr;
  }
  CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* out = cairo_image_surface_get_data(surface.get());
  int out_stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = rgba.data() + static_cast<std::size_t>(y) * stride;
    auto* dst = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * out_stride);
    for (int x = 0; x < width; ++x) {
      std::uint32_t r = src[4 * x], g = src[4 * x + 1], b = src[4 * x + 2], a = src[4 * x + 3];
      // Premultiply with rounding: (c * a + 127) / 255.
      auto pm = [a](std::uint32_t c) { return (c * a + 127) / 255; };
      dst[x] = (a << 24) | (pm(r) << 16) | (pm(g) << 8) | pm(b);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return std::make_shared<const Image>(Key{}, std::move(surface), width, height);
}

std::shared_ptr<const Image> Image::from_surface(CairoSurfacePtr surface) {
  if (!surface || cairo_surface_get_type(surface.get()) != CAIRO_SURFACE_TYPE_IMAGE) {
    return nullptr;
  }
  int w = cairo_image_surface_get_width(surface.get());
  int h = cairo_image_surface_get_height(surface.get());
  if (w <= 0 || h <= 0) return nullptr;
  return std::make_shared<const Image>(Key{}, std::move(surface), w, h);
}

void paint_image_cover(Scene& scene, const Affine& t, const Image& image, const Rect& rect,
                       double radius) {
  if (rect.is_empty()) return;
  double w = rect.width(), h = rect.height();
  double r = std::clamp(std::isnan(radius) ? w / 2 : radius, 0.0, std::min(w, h) / 2);
  double scale = std::max(w / image.width(), h / image.height());
  double dx = rect.x0 + (w - image.width() * scale) / 2;
  double dy = rect.y0 + (h - image.height() * scale) / 2;
  Affine place{scale, 0, 0, scale, dx, dy};
  scene.draw_image(t, image, place, Path::rounded_rect(rect, r));
}

}  // namespace vesk_ui
