#pragma once
// Reads a PNG back for checking what was written.

#include <cairo.h>

#include <cstdint>
#include <string>

#include "vesk_ui/color.hpp"
#include "vesk_ui/scene.hpp"

namespace vesk_ui::testing {

class PngImage {
 public:
  explicit PngImage(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str())) {}

  bool ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_.get()); }
  int height() const { return cairo_image_surface_get_height(surface_.get()); }

  // Straight-alpha colour of one pixel.
  Color pixel(int x, int y) const {
    cairo_surface_flush(surface_.get());
    const unsigned char* data = cairo_image_surface_get_data(surface_.get());
    int stride = cairo_image_surface_get_stride(surface_.get());
    std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    float a = ((v >> 24) & 0xFF) / 255.0f;
    auto channel = [&](int shift) {
      float c = ((v >> shift) & 0xFF) / 255.0f;
      return a > 0 ? c / a : 0.0f;
    };
    return {channel(16), channel(8), channel(0), a};
  }

 private:
  CairoSurfacePtr surface_;
};

inline bool near(Color a, Color b, float tolerance = 0.03f) {
  auto close = [&](float x, float y) { return x - y < tolerance && y - x < tolerance; };
  return close(a.r, b.r) && close(a.g, b.g) && close(a.b, b.b) && close(a.a, b.a);
}

}  // namespace vesk_ui::testing
