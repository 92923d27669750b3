#include "media/demo_pictures.hpp"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

namespace chat::media {
namespace {

std::uint8_t channel_byte(double value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// Wraps straight RGBA rows as a Cairo image (premultiplied, native-endian ARGB).
SurfacePtr rgba_image(std::span<const std::uint8_t> rgba, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  const std::size_t needed = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  if (rgba.size() < needed) return nullptr;
  SurfacePtr surface{cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)};
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      const std::uint32_t a = p[3];
      const auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
      const std::uint32_t argb =
          (a << 24) | (premultiply(p[0]) << 16) | (premultiply(p[1]) << 8) | premultiply(p[2]);
      std::memcpy(data + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4,
                  &argb, 4);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

cairo_status_t append_bytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

struct CallTileLook {
  Rgb tile;
  Rgb avatar;
};

}  // namespace

Rgb brighten_color(Rgb color, int delta) {
  const auto up = [delta](std::uint8_t c) {
    return static_cast<std::uint8_t>(std::clamp(c + delta, 0, 255));
  };
  return {up(color.r), up(color.g), up(color.b)};
}

RgbaCanvas::RgbaCanvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4, 255) {}

Rgb RgbaCanvas::pixel(int x, int y) const {
  const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 4;
  return {pixels_[i], pixels_[i + 1], pixels_[i + 2]};
}

void RgbaCanvas::vertical_gradient(Rgb top, Rgb bottom) {
  for (int y = 0; y < height_; ++y) {
    const double t = height_ > 1 ? static_cast<double>(y) / (height_ - 1) : 0.0;
    const auto mix = [t](std::uint8_t a, std::uint8_t b) {
      return channel_byte(a + t * (static_cast<double>(b) - a));
    };
    const Rgb c{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b)};
    for (int x = 0; x < width_; ++x) {
      std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = 255;
    }
  }
}

void RgbaCanvas::blend(int x, int y, Rgb color, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || !(coverage > 0)) return;
  const double c = std::min(coverage, 1.0);
  std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4];
  const auto mix = [c](std::uint8_t src, std::uint8_t dst) {
    return channel_byte(c * src + (1 - c) * dst);
  };
  p[0] = mix(color.r, p[0]);
  p[1] = mix(color.g, p[1]);
  p[2] = mix(color.b, p[2]);
  p[3] = 255;
}

double rounded_rect_coverage(double x, double y, double w, double h, double radius, int px,
                             int py) {
  const double cx = px + 0.5, cy = py + 0.5;
  if (cx < x || cy < y || cx > x + w || cy > y + h) return 0;
  const double r = std::clamp(radius, 0.0, std::min(w, h) / 2);
  // Inside a corner square the corner circle decides.
  const double ox = cx < x + r ? x + r : (cx > x + w - r ? x + w - r : cx);
  const double oy = cy < y + r ? y + r : (cy > y + h - r ? y + h - r : cy);
  if (ox == cx || oy == cy) return 1;
  return std::clamp(r + 0.5 - std::hypot(cx - ox, cy - oy), 0.0, 1.0);
}

double disc_coverage(double cx, double cy, double radius, int px, int py) {
  return std::clamp(radius + 0.5 - std::hypot(px + 0.5 - cx, py + 0.5 - cy), 0.0, 1.0);
}

void RgbaCanvas::fill_rounded_rect(double x, double y, double w, double h, double radius,
                                   Rgb color) {
  for (int py = static_cast<int>(std::floor(y)); py <= static_cast<int>(std::ceil(y + h)); ++py) {
    for (int px = static_cast<int>(std::floor(x)); px <= static_cast<int>(std::ceil(x + w)); ++px) {
      blend(px, py, color, rounded_rect_coverage(x, y, w, h, radius, px, py));
    }
  }
}

void RgbaCanvas::fill_disc(double cx, double cy, double radius, Rgb color) {
  for (int py = static_cast<int>(std::floor(cy - radius - 1));
       py <= static_cast<int>(std::ceil(cy + radius + 1)); ++py) {
    for (int px = static_cast<int>(std::floor(cx - radius - 1));
         px <= static_cast<int>(std::ceil(cx + radius + 1)); ++px) {
      blend(px, py, color, disc_coverage(cx, cy, radius, px, py));
    }
  }
}

void RgbaCanvas::stroke_rounded_ring(double x, double y, double w, double h, double radius,
                                     double thickness, Rgb color) {
  for (int py = static_cast<int>(std::floor(y)); py <= static_cast<int>(std::ceil(y + h)); ++py) {
    for (int px = static_cast<int>(std::floor(x)); px <= static_cast<int>(std::ceil(x + w)); ++px) {
      const double outer = rounded_rect_coverage(x, y, w, h, radius, px, py);
      const double inner = rounded_rect_coverage(x + thickness, y + thickness, w - 2 * thickness,
                                                 h - 2 * thickness, radius - thickness, px, py);
      blend(px, py, color, outer - inner);
    }
  }
}

RgbaCanvas draw_call_grid() {
  RgbaCanvas canvas(640, 360);
  canvas.vertical_gradient(rgb_hex(0x261C1A), rgb_hex(0x1A1211));
  constexpr std::array<CallTileLook, 4> looks{{
      {rgb_hex(0x3A2C29), rgb_hex(0xE87A5E)},
      {rgb_hex(0x2E3330), rgb_hex(0x6FB38A)},
      {rgb_hex(0x2C2F3A), rgb_hex(0x7A8FE8)},
      {rgb_hex(0x3A3329), rgb_hex(0xE8C25E)},
  }};
  constexpr std::array<std::array<double, 2>, 4> origins{
      {{26, 26}, {328, 26}, {26, 188}, {328, 188}}};
  constexpr std::size_t kSpeaking = 0;
  for (std::size_t i = 0; i < origins.size(); ++i) {
    const double x = origins[i][0], y = origins[i][1];
    const CallTileLook& look = looks[i];
    canvas.fill_rounded_rect(x, y, 286, 146, 12, look.tile);
    // The lower half is a touch brighter, as if lit from below the camera.
    for (int py = static_cast<int>(y + 73); py < static_cast<int>(y + 146); ++py) {
      for (int px = static_cast<int>(x); px < static_cast<int>(x + 286); ++px) {
        const double cover = rounded_rect_coverage(x, y, 286, 146, 12, px, py);
        canvas.blend(px, py, brighten_color(look.tile, 18), cover);
      }
    }
    canvas.fill_disc(x + 143, y + 67.16, 35.04, look.avatar);
    canvas.fill_disc(x + 143, y + 67.16, 29.04, brighten_color(look.avatar, 26));
    canvas.fill_rounded_rect(x + 12, y + 116, 125.84, 18, 6, rgb_hex(0x120D0C));
    if (i == kSpeaking) canvas.stroke_rounded_ring(x, y, 286, 146, 12, 3, rgb_hex(0x8CD658));
  }
  return canvas;
}

RgbaCanvas draw_shared_shot() {
  RgbaCanvas canvas(620, 400);
  canvas.vertical_gradient(rgb_hex(0x2C2220), rgb_hex(0x1F1716));
  canvas.fill_rounded_rect(28, 28, 564, 344, 16, rgb_hex(0xF8F5F4));
  canvas.fill_rounded_rect(28, 28, 564, 46, 16, rgb_hex(0xE87A5E));
  for (const double x : {50.0, 70.0, 90.0}) canvas.fill_disc(x, 51, 6, rgb_hex(0xFFFFFF));
  constexpr std::array<double, 6> widths{468, 412, 440, 356, 428, 300};
  for (std::size_t i = 0; i < widths.size(); ++i) {
    const double y = 102 + 38.0 * static_cast<double>(i);
    canvas.fill_rounded_rect(52, y, widths[i], 10, 5, rgb_hex(0xE0D8D4));
    if (i % 3 == 0) canvas.fill_rounded_rect(52, y, 90, 10, 5, rgb_hex(0xF0967E));
  }
  return canvas;
}

std::optional<std::vector<std::uint8_t>> encode_png(std::span<const std::uint8_t> rgba, int width,
                                                    int height) {
  SurfacePtr surface = rgba_image(rgba, width, height);
  if (!surface) return std::nullopt;
  std::vector<std::uint8_t> png;
  if (cairo_surface_write_to_png_stream(surface.get(), append_bytes, &png) !=
      CAIRO_STATUS_SUCCESS) {
    return std::nullopt;
  }
  return png;
}

}  // namespace chat::media
