#pragma once
// Screenshot mode: one frame of a widget painted into an image and written as a PNG, without any
// display.

#include <cstdint>
#include <optional>
#include <string>

#include "crdt/document.hpp"
#include "vesk_ui/launch_frame.hpp"
#include "vesk_ui/permission.hpp"
#include "vesk_ui/presence_ctx.hpp"
#include "vesk_ui/scene.hpp"
#include "vesk_ui/text_renderer.hpp"
#include "vesk_ui/theme.hpp"
#include "vesk_ui/widget.hpp"

namespace vesk_ui {

struct ShotSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool operator==(const ShotSize&) const = default;
};

// Larger images are refused: their pixels alone would take gigabytes.
inline constexpr std::uint32_t kMaxShotSide = 16384;

struct ShotThemeInputs {
  ThemeKind kind = ThemeKind::Dark;
  bool operator==(const ShotThemeInputs&) const = default;
};

// What the command line asked to render.
struct ShotRequest {
  std::optional<std::string> output;
  std::optional<std::string> scene;
  std::optional<ShotSize> size;
  ShotThemeInputs theme;
};

Theme shot_theme(const ShotThemeInputs& inputs);

// One frame at scale 1 on a fresh, empty document, with every permission granted and nobody
// present. Call sync, layout, draw, draw_floating_surfaces and write_png in that order.
class ShotFrame {
 public:
  // Sides are taken between 1 and kMaxShotSide.
  ShotFrame(Theme theme, ShotSize size);

  void sync(Widget& widget);
  std::optional<LayoutError> layout(Widget& widget);
  void draw(Widget& widget);
  // Paints the surfaces the widget has detached from the window (a floating call) at their
  // desktop position, the image standing for the desktop. Widgets offer such surfaces once the
  // call surface exists; until then there is nothing to paint.
  void draw_floating_surfaces(Widget& widget);
  // None on success, else why the file could not be written.
  std::optional<std::string> write_png(const std::string& path);

  crdt::Document& document() { return document_; }
  Scene& scene() { return scene_; }
  const Theme& theme() const { return theme_; }
  ShotSize size() const { return size_; }

 private:
  Theme theme_;
  ShotSize size_;
  crdt::Document document_;
  Scene scene_;
  TextRenderer text_;
  PresenceCtx presence_;
  PermissionContext permissions_ = PermissionContext::permissive();
  FrameCycle cycle_;
};

}  // namespace vesk_ui
