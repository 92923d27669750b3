#include "app/composer_panel.hpp"

#include <vesk_ui/button.hpp>
#include <vesk_ui/painter.hpp>
#include <vesk_ui/surface.hpp>

#include "app/chat_app.hpp"
#include "app/composer_commands.hpp"
#include "app/composer_layout.hpp"
#include "app/draw_shapes.hpp"
#include "app/draw_text.hpp"
#include "app/white_space.hpp"

namespace chat::app {

vesk_ui::Rect draw_composer_bar(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                                const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                                const vesk_ui::Rect& bar, std::string_view composer_text,
                                const ComposerBarStyle& style, HitTarget focus_target,
                                std::vector<HitRegion>& hits) {
  const vesk_ui::Affine& t = ctx.transform;
  fill_rounded_rect(scene, t, bar, theme.field_bg, 14);
  stroke_rounded_rect(
      scene, t, bar,
      style.focused ? theme.focus_border : vesk_ui::surface::edge_on(theme.field_bg, 1.6f), 14, 1);
  push_hit_region(hits, bar, std::move(focus_target));

  const ComposerBarLayout layout = composer_bar_layout(bar, theme, style.show_attach);
  vesk_ui::Painter painter{scene, text, t};
  if (layout.attach) {
    vesk_ui::Button::paint(painter, theme, *layout.attach, 1, 8, "+", 20, true, false);
    push_hit_region(hits, *layout.attach, hit::Attach{});
  }
  vesk_ui::Button::paint(painter, theme, layout.send, 1, 9, "➤", 16, style.has_text,
                         style.has_text);
  push_hit_region(hits, layout.send, hit::Send{});

  const vesk_ui::TextMetrics emoji = text.measure("🙂", 16);
  const vesk_ui::Point centre = layout.emoji.center();
  paint_text_weighted(scene, text, t, "🙂", theme.text_muted, 16, centre.x - emoji.width / 2,
                      centre.y - emoji.height / 2);
  push_hit_region(hits, layout.emoji, hit::ComposerEmoji{layout.emoji_anchor});

  const double text_height =
      composer_text.empty() ? text.measure("Ag", 15).height
                            : text.measure(composer_text, 15, 0, layout.text_wrap_width()).height;
  return composer_text_rect(layout, bar, theme, text_height);
}

void draw_read_only_notice(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                           const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                           const vesk_ui::Rect& bar) {
  vesk_ui::surface::card(scene, ctx.transform, bar, 14, vesk_ui::Colors::lift(0.35f, theme.tokens));
  paint_text_weighted(scene, text, ctx.transform, "🔒 View-only access to this workspace",
                      theme.text_muted, 14, bar.x0 + 16, bar.center().y - 8);
}

void draw_composer(ChatApp& app, vesk_ui::TextInput& input, vesk_ui::Scene& scene,
                   vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                   const vesk_ui::Rect& bar, bool show_attach, HitTarget focus_target, bool focused,
                   std::vector<HitRegion>& hits) {
  if (!can_write(app.permissions)) {
    if (input.focused()) input.set_focused(false);
    draw_read_only_notice(scene, text, theme, ctx, bar);
    return;
  }
  const ComposerBarStyle style{!is_blank(input.text()), show_attach, focused};
  const vesk_ui::Rect box = draw_composer_bar(scene, text, theme, ctx, bar, input.text(), style,
                                              std::move(focus_target), hits);
  input.apply_layout_external(box);
  if (input.focused() != focused) input.set_focused(focused);
  input.draw(scene, text, theme, ctx);
}

void draw_main_composer(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                        const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                        const vesk_ui::Rect& rect, std::vector<HitRegion>& hits) {
  // While the rename box has the keyboard no composer shows focus either.
  const bool focused =
      app.composer_focus == ComposerFocus::Main && !app.editing_message && !app.rename_target;
  draw_composer(app, app.composer, scene, text, theme, ctx, rect, true, hit::FocusMain{}, focused,
                hits);
}

}  // namespace chat::app
