#include "app/thread_panel.hpp"

#include <algorithm>
#include <string>

#include <vesk_ui/button.hpp>
#include <vesk_ui/painter.hpp>
#include <vesk_ui/surface.hpp>

#include "app/attachment_card.hpp"
#include "app/attachment_sizes.hpp"
#include "app/avatar_presence.hpp"
#include "app/chat_app.hpp"
#include "app/chat_view.hpp"
#include "app/color_math.hpp"
#include "app/composer_layout.hpp"
#include "app/composer_panel.hpp"
#include "app/draw_frame.hpp"
#include "app/draw_shapes.hpp"
#include "app/draw_text.hpp"
#include "app/message_list.hpp"

namespace chat::app {
namespace {

constexpr double kVisibleProgress = 0.001;

std::size_t reply_count(const ChatApp& app, std::string_view parent) {
  return static_cast<std::size_t>(
      std::count_if(app.view.messages.begin(), app.view.messages.end(),
                    [&](const doc::ChatMessage& m) { return m.parent && *m.parent == parent; }));
}

// "Thread" with the conversation under it, and the button that closes the panel.
void draw_header(const ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                 const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                 const vesk_ui::Rect& pane, std::vector<HitRegion>& hits) {
  const double s = theme.theme_scale;
  const double s1 = std::min(s, 1.2);
  const bool small = s <= 1.25 && app.compact_details;
  const double x = small ? pane.x0 + 92 : pane.x0 + 16 * s1;
  paint_text_weighted(scene, text, ctx.transform, "Thread", theme.text_primary, 15, x,
                      pane.y0 + 12 * s);
  const doc::Channel* channel = find_channel(app, app.view.current_conversation);
  paint_text_weighted(scene, text, ctx.transform, "#" + (channel ? channel->name : std::string()),
                      theme.text_muted, 11.5, x, pane.y0 + 31 * s);

  const vesk_ui::Rect close =
      small ? vesk_ui::Rect{pane.x0 + 12, pane.y0 + 10, pane.x0 + 78, pane.y0 + 42}
            : vesk_ui::Rect{pane.x1 - 44 * s1 - 12, pane.y0 + 8 * s, pane.x1 - 12,
                            pane.y0 + 8 * s + 44 * s1};
  vesk_ui::Painter painter{scene, text, ctx.transform};
  vesk_ui::Button::paint(painter, theme, close, 1, 8, app.compact_details ? "← Back" : "✕", 13,
                         true, false);
  push_hit_region(hits, close, hit::CloseThread{});
}

// The reply count between the parent and its replies; returns where the replies start.
double draw_divider(const ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                    const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                    const vesk_ui::Rect& pane, double card_x, double bottom) {
  const double s = theme.theme_scale;
  const double s1 = std::min(s, 1.2);
  const std::size_t count = reply_count(app, *app.open_thread);
  const std::string label = std::to_string(count) + " " + (count == 1 ? "reply" : "replies");
  const vesk_ui::TextMetrics size = text.measure(label, 11.5);
  const double line_y = bottom + 14;
  const double left = (pane.x0 + pane.x1) / 2 - size.width / 2;
  paint_text_weighted(scene, text, ctx.transform, label, theme.text_muted, 11.5, left,
                      line_y - size.height / 2);
  const vesk_ui::Color edge = vesk_ui::surface::edge_on(theme.panel_bg);
  stroke_hline(scene, ctx.transform, edge, card_x, left - 10 * s, line_y);
  stroke_hline(scene, ctx.transform, edge, left + size.width + 10 * s, pane.x1 - 16 * s1, line_y);
  return bottom + 30 * s;
}

}  // namespace

bool details_pane_visible(const ChatApp& app) {
  const PaneAnimation& anim = app.details_anim;
  if (anim.user_override) {
    if (*anim.user_override) return true;
  } else if (!app.compact_details && anim.shown) {
    return true;
  }
  return pane_progress(anim) > kVisibleProgress;
}

double draw_thread_message(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                           const vesk_ui::Theme& theme, const vesk_ui::DrawCtx& ctx,
                           const doc::ChatMessage& message, double card_x, double text_x,
                           double width, double top) {
  const double s = theme.theme_scale;
  const double k = std::min(s, 1.2);
  const vesk_ui::Affine& t = ctx.transform;
  const doc::Person* person = find_person(app, message.author);
  if (person) {
    vesk_ui::Painter painter{scene, text, t};
    avatar_with_presence(
        painter, theme, person->initials, static_cast<std::uint64_t>(person->color_idx),
        static_cast<PresenceCode>(person->status), card_x + 16 * k, top + 14 * s, 14 * k);
  }
  const std::uint64_t color = person ? static_cast<std::uint64_t>(person->color_idx) : 0;
  const double name_width = paint_text_weighted(scene, text, t, author_label(app, message.author),
                                                palette_color(theme, color), 13.5, text_x, top, 2);
  paint_text_weighted(scene, text, t, time_label(message.ts), theme.text_muted, 11,
                      text_x + name_width + 8 * s, top + 2 * s);

  double bottom = top + 19 * s;
  if (!message.text.empty()) {
    const double height = text.measure(message.text, 14, 0, width).height;
    paint_text_weighted(scene, text, t, message.text, theme.text_primary, 14, text_x, bottom, 0,
                        TextFlags{width});
    bottom += height + 4 * s;
  }
  if (message.attachment) {
    draw_attachment_card(app, scene, text, theme, ctx, *message.attachment, text_x, bottom, width);
    bottom += attachment_block_height(*message.attachment, width, s);
  }

  if (!message.reactions.empty()) {
    double x = text_x;
    for (const doc::Reaction& reaction : message.reactions) {
      const std::string label = reaction.emoji + " " + std::to_string(reaction.users.size());
      const vesk_ui::TextMetrics size = text.measure(label, 11.5);
      const vesk_ui::Rect chip{x, bottom, x + size.width + 16, bottom + 22};
      vesk_ui::surface::card(scene, t, chip, 11, vesk_ui::Colors::lift(0.35f, theme.tokens));
      paint_text_weighted(scene, text, t, label, theme.text_primary, 11.5, x + 8 * s,
                          chip.center().y - 7 * s);
      x = chip.x1 + 5 * s;
    }
    bottom += 28 * s;
  }
  return bottom + 10 * s;
}

void draw_thread_panel(ChatApp& app, vesk_ui::Scene& scene, vesk_ui::TextRenderer& text,
                       const vesk_ui::Theme& theme, vesk_ui::DrawCtx& ctx,
                       const vesk_ui::Rect& pane, std::vector<HitRegion>& hits) {
  if (!app.open_thread) return;
  const double s = theme.theme_scale;
  const double s1 = std::min(s, 1.2);
  const vesk_ui::Affine& t = ctx.transform;
  fill_rect(scene, t, theme.panel_bg, pane);
  const vesk_ui::Color edge = vesk_ui::surface::edge_on(theme.panel_bg);
  fill_rect(scene, t, edge, {pane.x0, pane.y0, pane.x0 + 1, pane.y1});

  const double composer_height =
      text.measure(app.thread_composer.text(), 15, 0, thread_composer_wrap_width(pane)).height;
  const vesk_ui::Rect composer = thread_composer_rect(pane, composer_height);

  draw_header(app, scene, text, theme, ctx, pane, hits);
  vesk_ui::surface::separator(scene, t, pane.x0, pane.x1, pane.y0 + 52 * s, theme.padding,
                              theme.panel_bg);
  push_clip(scene, t, {pane.x0, pane.y0 + 52 * s, pane.x1, composer.y0 - theme.spacing});

  const double card_x = pane.x0 + 16 * s1;
  const double text_x = pane.x0 + 58 * s1;
  const double width = std::max(pane.x1 - text_x - 14 * s1, 60.0);
  double y = pane.y0 + 64 * s;
  if (const doc::ChatMessage* parent = find_message(app, *app.open_thread)) {
    const double bottom =
        draw_thread_message(app, scene, text, theme, ctx, *parent, card_x, text_x, width, y);
    y = draw_divider(app, scene, text, theme, ctx, pane, card_x, bottom);
  }
  for (const doc::ChatMessage& m : app.view.messages) {
    if (m.parent && *m.parent == *app.open_thread) {
      y = draw_thread_message(app, scene, text, theme, ctx, m, card_x, text_x, width, y);
    }
  }
  scene.pop_layer();

  const bool focused =
      !app.editing_message && !app.rename_target && app.composer_focus == ComposerFocus::Thread;
  draw_composer(app, app.thread_composer, scene, text, theme, ctx, composer, false,
                hit::FocusThread{}, focused, hits);
}

}  // namespace chat::app
