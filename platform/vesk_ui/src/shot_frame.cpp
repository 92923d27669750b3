#include "vesk_ui/shot_frame.hpp"

#include <algorithm>
#include <chrono>

namespace vesk_ui {
namespace {

std::uint32_t clamp_side(std::uint32_t side) {
  return std::clamp<std::uint32_t>(side, 1, kMaxShotSide);
}

}  // namespace

Theme shot_theme(const ShotThemeInputs& inputs) {
  return inputs.kind == ThemeKind::Light ? Theme::light() : Theme::dark();
}

ShotFrame::ShotFrame(Theme theme, ShotSize size)
    : theme_(std::move(theme)),
      size_{clamp_side(size.width), clamp_side(size.height)},
      scene_(static_cast<int>(size_.width), static_cast<int>(size_.height)) {}

void ShotFrame::sync(Widget& widget) {
  cycle_.sync(widget, document_);
}

std::optional<LayoutError> ShotFrame::layout(Widget& widget) {
  return cycle_.layout(widget,
                       {static_cast<double>(size_.width), static_cast<double>(size_.height)});
}

void ShotFrame::draw(Widget& widget) {
  DrawCtx ctx{Affine::identity(), 1.0, std::chrono::steady_clock::now()};
  cycle_.draw(widget, scene_, text_, theme_, ctx, presence_, permissions_);
  cycle_.finish(widget);
}

void ShotFrame::draw_floating_surfaces(Widget&) {}

std::optional<std::string> ShotFrame::write_png(const std::string& path) {
  if (!scene_.write_png(path)) return "cannot write the image to " + path;
  return std::nullopt;
}

}  // namespace vesk_ui
