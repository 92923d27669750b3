#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "vesk_ui/scene.hpp"

namespace vesk_ui {

// A decoded picture ready to paint: premultiplied ARGB32 pixels in a Cairo image surface.
class Image {
 public:
  // From straight-alpha RGBA rows (`stride` bytes apart); empty pointer for a bad size.
  static std::shared_ptr<const Image> from_rgba(std::span<const std::uint8_t> rgba, int width,
                                                int height, int stride);
  static std::shared_ptr<const Image> from_surface(CairoSurfacePtr surface);

  int width() const { return width_; }
  int height() const { return height_; }
  cairo_surface_t* surface() const { return surface_.get(); }

 private:
  struct Key {
    explicit Key() = default;
  };

 public:
  Image(Key, CairoSurfacePtr surface, int width, int height)
      : surface_(std::move(surface)), width_(width), height_(height) {}

 private:
  CairoSurfacePtr surface_;
  int width_;
  int height_;
};

// Scales the image to cover `rect` (keeping its aspect, centred, cropping the overflow) and
// clips it to the rounded rectangle of `radius`.
void paint_image_cover(Scene& scene, const Affine& t, const Image& image, const Rect& rect,
                       double radius);

}  // namespace vesk_ui
