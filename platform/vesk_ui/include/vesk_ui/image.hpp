#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "vesk_ui/scene.hpp"

namespace vesk_ui {

// A decoded picture ready to paint: premultiplied ARGB32 pixels in a Cairo image surface.
class Image {
 public:
  // From straight-alpha RGBA rows (`stride` bytes apart); empty pointer for a bad size. With
  // `mipmaps`, half-size copies down to a small size are made too, so that drawing a big
  // picture small reads few pixels.
  static std::shared_ptr<const Image> from_rgba(std::span<const std::uint8_t> rgba, int width,
                                                int height, int stride, bool mipmaps = false);
  static std::shared_ptr<const Image> from_surface(CairoSurfacePtr surface);

  int width() const { return width_; }
  int height() const { return height_; }
  cairo_surface_t* surface() const { return surface_.get(); }
  // The smallest stored copy that still has at least `scale` times this image's pixels along
  // both sides (this image itself when there are no smaller copies or scale >= 1).
  const Image& level_for_scale(double scale) const;
  int level_count() const { return static_cast<int>(levels_.size()); }

 private:
  struct Key {
    explicit Key() = default;
  };

 public:
  Image(Key, CairoSurfacePtr surface, int width, int height)
      : surface_(std::move(surface)), width_(width), height_(height) {}

 private:
  void build_levels();

  CairoSurfacePtr surface_;
  int width_;
  int height_;
  std::vector<std::shared_ptr<const Image>> levels_;  // each half the size of the one before
};

// Scales the image to cover `rect` (keeping its aspect, centred, cropping the overflow) and
// clips it to the rounded rectangle of `radius`.
void paint_image_cover(Scene& scene, const Affine& t, const Image& image, const Rect& rect,
                       double radius);

}  // namespace vesk_ui
