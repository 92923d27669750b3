// Painting one 1280 x 800 chat-like frame: 60 lines of text, 200 rounded rectangles and 30
// avatars, the way the window paints every frame.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <vesk_ui/avatar.hpp>
#include <vesk_ui/image.hpp>
#include <vesk_ui/painter.hpp>
#include <vesk_ui/scene.hpp>
#include <vesk_ui/surface.hpp>
#include <vesk_ui/text_renderer.hpp>
#include <vesk_ui/theme.hpp>

namespace {

using namespace vesk_ui;

std::vector<std::string> frame_lines() {
  const std::vector<std::string> words = {"deploy", "the",    "build", "passed", "review", "later",
                                          "🙂",   "thanks", "ship",  "it",     "today",  "café",
                                          "notes",  "call",   "at",    "three",  "agenda", "ok"};
  std::vector<std::string> lines;
  for (int i = 0; i < 60; ++i) {
    std::string line = "Line " + std::to_string(i) + ":";
    for (int w = 0; w < 6 + i % 7; ++w) line += " " + words[(i * 7 + w * 3) % words.size()];
    lines.push_back(line);
  }
  return lines;
}

void paint_frame(Scene& scene, TextRenderer& text, const Theme& theme,
                 const std::vector<std::string>& lines) {
  Affine id;
  scene.fill(id, Path::rect({0, 0, 1280, 800}), theme.window_bg);
  scene.fill(id, Path::rect({0, 0, 316, 800}), theme.panel_bg);
  // 200 rounded rectangles: sidebar rows, chips, cards.
  for (int i = 0; i < 200; ++i) {
    double x = 330 + (i % 10) * 94, y = 20 + (i / 10) * 38;
    Color fill = i % 3 == 0 ? Colors::lift(0.45f, theme.tokens) : theme.field_bg;
    scene.fill(id, Path::rounded_rect({x, y, x + 86, y + 30}, 8), fill);
  }
  // 30 avatars along the message column.
  Painter painter{scene, text};
  for (int i = 0; i < 30; ++i) {
    double cy = 30 + i * 25;
    Avatar::draw_at(painter, {340, cy - 10, 360, cy + 10}, i % 2 ? "AL" : "MK",
                    theme.palette[i % 8]);
  }
  // 60 text lines in three weights and two sizes.
  for (int i = 0; i < 60; ++i) {
    int weight = i % 5 == 0 ? 2 : 0;
    double size = i % 5 == 0 ? 14.5 : 15;
    auto layout = text.shape(lines[i], size, weight);
    text.draw(scene, id, *layout, {380, 12.0 + i * 13},
              i % 5 == 0 ? theme.palette[i % 8] : theme.text_primary);
  }
}

// Steady state: the text of the frame is the same as the last frame's, as it is while the
// window sits still or animates.
void BM_PaintFrame(benchmark::State& state) {
  Scene scene(1280, 800);
  TextRenderer text;
  Theme theme = Theme::dark();
  auto lines = frame_lines();
  paint_frame(scene, text, theme, lines);
  for (auto _ : state) {
    paint_frame(scene, text, theme, lines);
    scene.flush();
  }
  if (const char* out = std::getenv("VESK_BENCH_FRAME_PNG")) scene.write_png(out);
}
BENCHMARK(BM_PaintFrame)->Unit(benchmark::kMillisecond);

// Every line new each frame (a scrolling list): shaping is paid every time.
void BM_PaintFrameFreshText(benchmark::State& state) {
  Scene scene(1280, 800);
  TextRenderer text;
  Theme theme = Theme::dark();
  auto lines = frame_lines();
  int frame = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (auto& line : lines) line = std::to_string(frame) + line.substr(line.find(' '));
    ++frame;
    state.ResumeTiming();
    paint_frame(scene, text, theme, lines);
    scene.flush();
  }
}
BENCHMARK(BM_PaintFrameFreshText)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A photo attachment as a camera makes it, drawn into its message card.
void BM_PaintImageCoverPhoto(benchmark::State& state) {
  const int w = 4000, h = 3000;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i)
    rgba[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
  auto image = vesk_ui::Image::from_rgba(rgba, w, h, w * 4, true);
  vesk_ui::Scene scene(1280, 800);
  for (auto _ : state) {
    vesk_ui::paint_image_cover(scene, vesk_ui::Affine::identity(), *image, {100, 100, 580, 460},
                               12);
    scene.flush();
  }
}
BENCHMARK(BM_PaintImageCoverPhoto)->Unit(benchmark::kMillisecond);

}  // namespace
