#include "vesk_ui/image.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vesk_ui {

std::shared_ptr<const Image> Image::from_rgba(std::span<const std::uint8_t> rgba, int width,
                                              int height, int stride, bool mipmaps) {
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
  auto image = std::make_shared<Image>(Key{}, std::move(surface), width, height);
  if (mipmaps) image->build_levels();
  return image;
}

namespace {

// Half-size copy by averaging 2 x 2 blocks of premultiplied pixels (an odd last row or column
// is dropped).
CairoSurfacePtr halve(cairo_surface_t* src, int w, int h) {
  int hw = std::max(1, w / 2), hh = std::max(1, h / 2);
  CairoSurfacePtr dst(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, hw, hh));
  if (cairo_surface_status(dst.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(dst.get());
  const unsigned char* in = cairo_image_surface_get_data(src);
  int in_stride = cairo_image_surface_get_stride(src);
  unsigned char* out = cairo_image_surface_get_data(dst.get());
  int out_stride = cairo_image_surface_get_stride(dst.get());
  for (int y = 0; y < hh; ++y) {
    const auto* r0 =
        reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(2 * y) * in_stride);
    const auto* r1 = reinterpret_cast<const std::uint32_t*>(
        in + static_cast<std::ptrdiff_t>(std::min(2 * y + 1, h - 1)) * in_stride);
    auto* o = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * out_stride);
    for (int x = 0; x < hw; ++x) {
      int x0 = 2 * x, x1 = std::min(2 * x + 1, w - 1);
      std::uint32_t p[4] = {r0[x0], r0[x1], r1[x0], r1[x1]};
      std::uint32_t v = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        std::uint32_t sum = 2;
        for (std::uint32_t q : p) sum += (q >> shift) & 0xff;
        v |= (sum / 4) << shift;
      }
      o[x] = v;
    }
  }
  cairo_surface_mark_dirty(dst.get());
  return dst;
}

}  // namespace

void Image::build_levels() {
  constexpr int kSmallest = 64;
  cairo_surface_t* src = surface_.get();
  int w = width_, h = height_;
  while (std::max(w, h) > kSmallest && std::min(w, h) >= 2) {
    CairoSurfacePtr half = halve(src, w, h);
    if (!half) break;
    w = std::max(1, w / 2);
    h = std::max(1, h / 2);
    src = half.get();
    levels_.push_back(std::make_shared<const Image>(Key{}, std::move(half), w, h));
  }
}

const Image& Image::level_for_scale(double scale) const {
  const Image* best = this;
  for (const auto& level : levels_) {
    if (level->width_ < width_ * scale || level->height_ < height_ * scale) break;
    best = level.get();
  }
  return *best;
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
  // Device pixels per image pixel decide which stored copy to read from.
  double device = std::sqrt(std::abs(t.xx * t.yy - t.xy * t.yx));
  double cover = std::max(w / image.width(), h / image.height());
  const Image& source = image.level_for_scale(cover * device);
  double scale = std::max(w / source.width(), h / source.height());
  double dx = rect.x0 + (w - source.width() * scale) / 2;
  double dy = rect.y0 + (h - source.height() * scale) / 2;
  Affine place{scale, 0, 0, scale, dx, dy};
  scene.draw_image(t, source, place, Path::rounded_rect(rect, r));
}

}  // namespace vesk_ui
