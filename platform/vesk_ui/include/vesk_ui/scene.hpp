#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vesk_ui/color.hpp"
#include "vesk_ui/geometry.hpp"
#include "vesk_ui/path.hpp"

namespace vesk_ui {

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;

class Image;

// The 2D scene a frame paints into: shapes, text and images under affine transforms, with
// layers of opacity and a rectangle clip. It paints into a Cairo image surface, either its own
// (screenshots, tests) or pixel memory lent by the caller (the window's streaming texture), so
// the painting code never knows where the pixels end up.
class Scene {
 public:
  // A cleared, transparent ARGB32 surface of its own.
  Scene(int width, int height);
  // Paints into premultiplied ARGB32 memory the caller keeps alive for the scene's lifetime.
  Scene(unsigned char* pixels, int width, int height, int stride);
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;
  ~Scene();

  int width() const { return width_; }
  int height() const { return height_; }

  void clear(Color c = {0, 0, 0, 0});
  void fill(const Affine& t, const Path& path, Color c);
  void stroke(const Affine& t, const Path& path, const Stroke& style, Color c);
  // Pushes a layer drawn at `opacity` and clipped to `clip` (in the transform's space).
  void push_layer(const Affine& t, const Rect& clip, float opacity = 1.0f);
  void pop_layer();
  int layer_depth() const { return static_cast<int>(layer_opacity_.size()); }
  // Paints `image` scaled by `image_to_user` (then `t`) clipped to `clip_path`.
  void draw_image(const Affine& t, const Image& image, const Affine& image_to_user,
                  const Path& clip_path, float opacity = 1.0f);

  // For the text renderer: the Cairo context, with the user transform set to `t`.
  cairo_t* prepare(const Affine& t);

  // Completes pending drawing; call before reading pixels.
  void flush();
  // Straight-alpha colour of one device pixel (0 alpha outside the surface).
  Color pixel(int x, int y);
  bool write_png(const std::string& path);
  cairo_surface_t* surface() const { return surface_.get(); }

 private:
  void apply_path(const Path& path);
  void set_color(Color c);

  int width_;
  int height_;
  std::vector<float> layer_opacity_;
  CairoSurfacePtr surface_;
  CairoPtr cr_;
};

}  // namespace vesk_ui
