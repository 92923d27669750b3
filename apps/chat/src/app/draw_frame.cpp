#include "app/draw_frame.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include <vesk_ui/surface.hpp>

#include "app/chat_view.hpp"
#include "app/composer_geometry.hpp"
#include "app/composer_panel.hpp"
#include "app/conversation_header.hpp"
#include "app/draw_shapes.hpp"
#include "app/message_list.hpp"
#include "app/thread_panel.hpp"
#include "app/window_layout.hpp"

namespace chat::app {
namespace {

constexpr double kVisibleProgress = 0.001;

// Dims the window behind an overlaying pane; a press on the dimmed part dismisses the pane.
void draw_scrim(vesk_ui::Scene& scene, const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                const Rect& bounds, const PaneAnimation& anim, bool compact,
                std::vector<HitRegion>& hits) {
  const double p = pane_progress(anim);
  if (!compact || !(p > kVisibleProgress)) return;
  fill_rect(scene, ctx.transform, theme.scrim.multiply_alpha(static_cast<float>(0.55 * p)), bounds);
  push_hit_region(hits, bounds, hit::Dismiss{});
}

}  // namespace

double pane_progress(const PaneAnimation& anim) {
  return std::clamp(anim.value, 0.0, 1.0);
}

void draw_window(ChatApp& app, vesk_ui::Scene& scene, const Rect& bounds,
                 vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx) {
  update_compact_flags(app, theme.theme_scale);
  app.tooltip.tick(ctx.now);
  std::vector<HitRegion> hits;

  const vesk_ui::Affine& t = ctx.transform;
  fill_rect(scene, t, theme.window_bg, bounds);
  const Rect header = header_rect(app);
  fill_rect(scene, t, theme.window_bg, header);
  stroke_hline(scene, t, vesk_ui::surface::edge_on(theme.window_bg), header.x0, header.x1,
               header.y1);

  draw_conversation_header(app, scene, text, theme, ctx, hits);
  const Rect composer = composer_rect(app, text, theme);
  const MessageListLayout list =
      layout_message_list(app, text, theme, list_geometry(app, composer.y0, theme.theme_scale));
  draw_message_list(app, scene, text, theme, ctx, list, hits);
  draw_main_composer(app, scene, text, theme, ctx, composer, hits);

  draw_scrim(scene, theme, ctx, bounds, app.details_anim, app.compact_details, hits);
  if (app.open_thread && details_pane_visible(app)) {
    draw_thread_panel(app, scene, text, theme, ctx, details_rect(app), hits);
  }
  draw_scrim(scene, theme, ctx, bounds, app.nav_anim, app.compact_nav, hits);

  if (app.context_menu) app.context_menu->draw(scene, bounds, text, theme, ctx);

  app.hit_regions = std::move(hits);
}

void ChatApp::draw(vesk_ui::Scene& scene, const Rect& bounds, vesk_ui::TextRenderer& text,
                   const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx) {
  draw_window(*this, scene, bounds, text, theme, ctx);
}

void ChatApp::draw_with_presence(vesk_ui::Scene& scene, const Rect& bounds,
                                 vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                                 vesk_ui::DrawCtx& ctx, const vesk_ui::PresenceCtx& presence,
                                 const vesk_ui::PermissionContext& permissions) {
  this->permissions = permissions;
  apply_presence(*this, presence);
  draw(scene, bounds, text, theme, ctx);
}

}  // namespace chat::app
