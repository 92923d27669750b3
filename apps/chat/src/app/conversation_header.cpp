#include "app/conversation_header.hpp"

#include <algorithm>
#include <string>

#include <vesk_ui/surface.hpp>

#include "app/chat_view.hpp"
#include "app/draw_shapes.hpp"
#include "app/draw_text.hpp"
#include "app/message_list.hpp"
#include "app/window_layout.hpp"

namespace chat::app {
namespace {

struct HeaderButton {
  Rect rect;
  std::string label;
  vesk_ui::TextMetrics size;
};

HeaderButton place_button(vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                          std::string label, double right, double middle, double pad) {
  HeaderButton b;
  b.size = text.measure(label, theme.button_text_size);
  const double width = b.size.width + 2 * pad;
  b.rect = {right - width, middle - theme.control_height / 2, right,
            middle + theme.control_height / 2};
  b.label = std::move(label);
  return b;
}

void paint_label(vesk_ui::Scene& scene, vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                 const vesk_ui::DrawCtx& ctx, const HeaderButton& b, vesk_ui::Color color) {
  const vesk_ui::Point c = b.rect.center();
  paint_text_weighted(scene, text, ctx.transform, b.label, color, theme.button_text_size,
                      c.x - b.size.width / 2, c.y - b.size.height / 2);
}

std::string workspace_name(const ChatApp& app, std::string_view id) {
  for (const doc::Workspace& w : app.view.workspaces) {
    if (w.id == id) return w.name;
  }
  return "Vesk workspace";
}

}  // namespace

void draw_conversation_header(const ChatApp& app, vesk_ui::Scene& scene,
                              vesk_ui::TextRenderer& text, const vesk_ui::Theme& theme,
                              const vesk_ui::DrawCtx& ctx, std::vector<HitRegion>& hits) {
  const Rect header = header_rect(app);
  const double m = (header.y0 + header.y1) / 2;
  const double left = header.x0, right = header.x1;
  double e = right;

  if (local_user_listed(app)) {
    // The window's call state arrives with the call; until then there is no call to be in.
    const bool in_call = false;
    HeaderButton call = place_button(text, theme, in_call ? "● In call" : "📹 Call",
                                     right - theme.pane_inset, m, theme.padding);
    if (in_call) {
      fill_rounded_rect(scene, ctx.transform, call.rect, theme.accent, 8);
      paint_label(scene, text, theme, ctx, call, theme.on_surface(theme.accent));
    } else {
      vesk_ui::surface::card(scene, ctx.transform, call.rect, 8,
                             vesk_ui::Colors::lift(0.72f, theme.tokens));
      paint_label(scene, text, theme, ctx, call, theme.text_primary);
    }
    push_hit_region(hits, call.rect, hit::StartCall{});
    e = call.rect.x0;

    HeaderButton people =
        place_button(text, theme, "👥 " + std::to_string(app.view.workspace_people.size()),
                     e - theme.spacing, m, theme.spacing);
    if (pane_shown(app.details_anim) && !app.compact_details) {
      fill_rounded_rect(scene, ctx.transform, people.rect, theme.accent.multiply_alpha(0.22f), 8);
      paint_label(scene, text, theme, ctx, people, theme.on_accent_tint);
    } else {
      vesk_ui::surface::card(scene, ctx.transform, people.rect, 8,
                             vesk_ui::Colors::lift(0.35f, theme.tokens));
      paint_label(scene, text, theme, ctx, people, theme.text_muted);
    }
    push_hit_region(hits, people.rect, hit::ToggleRightFlap{});
    e = people.rect.x0;
  }

  const bool nav_docked = pane_shown(app.nav_anim) && !app.compact_nav;
  const double x = left + (nav_docked ? 18 : 54);
  const doc::Channel* channel = find_channel(app, app.view.current_conversation);
  const bool voice = channel && channel->kind == doc::ChannelKind::Voice;
  paint_text_weighted(scene, text, ctx.transform, voice ? "🔊" : "#", theme.text_muted, 18, x,
                      m - 11);
  const std::string name =
      ellipsize(text, channel ? channel->name : std::string(), 17, (e - 12) - (x + 22));
  const double name_width = paint_text_weighted(scene, text, ctx.transform, name,
                                                theme.text_primary, 17, x + 22, m - 11, 3);

  std::string subtitle;
  if (app.inbox_view && channel) {
    const std::string ws = workspace_name(app, channel->workspace);
    subtitle = channel->topic.empty() ? "From " + ws : ws + " · " + channel->topic;
  } else if (channel) {
    subtitle = channel->topic;
  }
  const double sub_x = x + 22 + name_width + 18;
  const double room = (e - 12) - sub_x;
  if (!subtitle.empty() && room >= 48) {
    paint_text_weighted(scene, text, ctx.transform, ellipsize(text, subtitle, 13, room),
                        theme.text_muted, 13, sub_x, m - 7);
  }
}

}  // namespace chat::app
