#include "vesk_ui/context_menu.hpp"
#include "vesk_ui/surface.hpp"

namespace vesk_ui {

namespace {

constexpr double kCornerRadius = 10;
constexpr double kHighlightRadius = 6;
constexpr double kLabelSize = 13.5;
constexpr double kLabelInset = 10;

}  // namespace

void ContextMenu::draw(Scene& scene, const Rect& bounds, TextRenderer& text, const Theme& theme,
                       const DrawCtx& ctx) const {
  if (!open_) return;
  const Affine& t = ctx.transform;
  Rect menu = *rect();
  // Nothing of the menu paints outside the area it was opened in.
  scene.push_layer(t, bounds);
  surface::shadow(scene, t, menu, kCornerRadius);
  surface::card(scene, t, menu, kCornerRadius, theme.popover_bg);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const ContextMenuItem& item = items_[i];
    Rect row = *item_rect(i);
    if (highlighted_ == i) {
      Color tint = item.destructive ? theme.danger : theme.accent;
      scene.fill(t, Path::rounded_rect(row, kHighlightRadius), tint.with_alpha(0.22f));
    }
    Color ink = item.destructive ? theme.danger : theme.text_primary;
    auto label = text.shape(item.label, kLabelSize, 0);
    // Long labels are cut at the row's edge rather than spilling out of the menu.
    scene.push_layer(t, {row.x0 + kLabelInset, row.y0, row.x1 - kLabelInset, row.y1});
    text.draw(scene, t, *label, {row.x0 + kLabelInset, row.center().y - label->height() / 2}, ink);
    scene.pop_layer();
  }
  scene.pop_layer();
}

}  // namespace vesk_ui
