#pragma once
// The two generated pictures of demonstration content, drawn by a small software rasteriser
// into an opaque RGBA canvas and encoded as PNG.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace chat::media {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb rgb_hex(std::uint32_t rrggbb) {
  return {static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
          static_cast<std::uint8_t>(rrggbb)};
}

// Each channel raised by `delta`, saturating at 255.
Rgb brighten_color(Rgb color, int delta);

// Straight RGBA, 8 bits a channel, rows packed; every pixel stays opaque.
class RgbaCanvas {
 public:
  RgbaCanvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  std::span<const std::uint8_t> pixels() const { return pixels_; }
  Rgb pixel(int x, int y) const;

  // Row y gets top + y / (height - 1) of the way to bottom.
  void vertical_gradient(Rgb top, Rgb bottom);
  // Mixes `color` over the pixel by `coverage` (0..1); pixels outside are ignored.
  void blend(int x, int y, Rgb color, double coverage);
  void fill_rounded_rect(double x, double y, double w, double h, double radius, Rgb color);
  void fill_disc(double cx, double cy, double radius, Rgb color);
  // The band between the rounded outline and the one inset by `thickness`.
  void stroke_rounded_ring(double x, double y, double w, double h, double radius, double thickness,
                           Rgb color);

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

// How much of the pixel centre (px + 0.5, py + 0.5) a shape covers.
double rounded_rect_coverage(double x, double y, double w, double h, double radius, int px, int py);
double disc_coverage(double cx, double cy, double radius, int px, int py);

RgbaCanvas draw_call_grid();    // 640 x 360: four call tiles, one speaking
RgbaCanvas draw_shared_shot();  // 620 x 400: a window with lines of text

// PNG bytes of straight RGBA rows; none when the buffer is shorter than width x height x 4
// or the encoder fails.
std::optional<std::vector<std::uint8_t>> encode_png(std::span<const std::uint8_t> rgba, int width,
                                                    int height);

}  // namespace chat::media
